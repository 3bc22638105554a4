#include "ui/classless/subnet_table.h"

#include "net/address.h"
#include "ui/platform/geometry.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

namespace mq::ui {

using classless::u128;

SubnetTable::SubnetTable(classless::SubnetListing& listing, QWidget* parent)
    : QAbstractScrollArea(parent), model(listing)
{
    setObjectName(QStringLiteral("Listing"));
    setAccessibleName(QStringLiteral("Subnet listing"));
    setFocusPolicy(Qt::StrongFocus);
    // Fixed pitch: columns line up and the widest address is measured exactly.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSizeF(uiFont().pointSizeF());
    setFont(fixed);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setBackgroundRole(QPalette::Base);
    refresh();
}

int SubnetTable::rowHeight() const
{
    return fontMetrics().height() + 4;
}

std::array<int, classless::kListingColumns> SubnetTable::columnWidths() const
{
    // Wide enough for the headings and for the first and last rows (the longest indexes and,
    // as a rule, the longest addresses), with room to spare for the rows between.
    const QFontMetrics fm = fontMetrics();
    std::array<int, classless::kListingColumns> w{};
    for (int c = 0; c < classless::kListingColumns; ++c)
        w[c] = fm.horizontalAdvance(QString::fromUtf8(classless::kListingHeadings[c]));
    if (model.shown())
        for (const classless::u128 row : {classless::u128{0}, model.lastRow()}) {
            const auto cells = model.cells(row);
            for (int c = 0; c < classless::kListingColumns; ++c)
                w[c] = std::max(w[c], fm.horizontalAdvance(QString::fromStdString(cells[c])));
        }
    const int spare = fm.horizontalAdvance(QStringLiteral("8888"));
    for (int& x : w)
        x += spare;
    if (model.shown() && model.splitter().row(0).network.address.family == net::Family::V6)
        w[classless::kListingColumns - 1] = 0;  // IPv6 has no broadcast address: no empty column
    return w;
}

void SubnetTable::refresh()
{
    widths = columnWidths();
    const int body = std::max(1, viewport()->height() - headerHeight());
    model.setVisibleRows(std::max(1, body / rowHeight()));
    syncScrollBar();
    int total = 0;
    for (int w : widths)
        total += w;
    horizontalScrollBar()->setRange(0, std::max(0, total - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    updateAccessibleText();
    viewport()->update();
}

void SubnetTable::syncScrollBar()
{
    syncing = true;
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, model.shown() ? model.scrollMaximum() : 0);
    bar->setPageStep(model.visibleRows());
    bar->setValue(model.scrollValue());
    syncing = false;
}

void SubnetTable::scrollContentsBy(int, int)
{
    if (syncing)
        return;
    // The bar moved (dragged, clicked, arrows): the model maps it onto its rows.
    model.setScrollValue(verticalScrollBar()->value());
    updateAccessibleText();
    viewport()->update();
}

void SubnetTable::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    refresh();
}

std::optional<u128> SubnetTable::rowAt(int y) const
{
    if (!model.shown() || y < headerHeight())
        return std::nullopt;
    const u128 row = model.top() + static_cast<u128>((y - headerHeight()) / rowHeight());
    return row <= model.lastRow() ? std::optional<u128>(row) : std::nullopt;
}

void SubnetTable::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    const QPalette& pal = palette();
    const int h = rowHeight();
    const int dx = -horizontalScrollBar()->value();
    const int width = viewport()->width();
    p.fillRect(QRect(0, 0, width, headerHeight()), pal.button());
    p.setPen(pal.buttonText().color());
    int x = dx;
    for (int c = 0; c < classless::kListingColumns && widths[c] > 0; ++c) {
        p.drawText(QRect(x + 4, 0, widths[c] - 8, headerHeight()), Qt::AlignVCenter | Qt::AlignLeft,
                   QString::fromUtf8(classless::kListingHeadings[c]));
        x += widths[c];
    }
    if (!model.shown())
        return;
    const int rows = (viewport()->height() - headerHeight()) / h + 1;
    for (int i = 0; i < rows; ++i) {
        const u128 row = model.top() + static_cast<u128>(i);
        if (row > model.lastRow() || row < model.top())
            break;
        const int y = headerHeight() + i * h;
        const bool selected = model.isSelected(row);
        if (selected)
            p.fillRect(QRect(0, y, width, h), pal.highlight());
        p.setPen(selected ? pal.highlightedText().color() : pal.text().color());
        const auto cells = model.cells(row);
        x = dx;
        for (int c = 0; c < classless::kListingColumns && widths[c] > 0; ++c) {
            p.drawText(QRect(x + 4, y, widths[c] - 8, h), Qt::AlignVCenter | Qt::AlignLeft,
                       QString::fromStdString(cells[c]));
            x += widths[c];
        }
        if (row == model.current() && hasFocus()) {
            p.setPen(QPen(pal.text().color(), 1, Qt::DotLine));
            p.drawRect(QRect(0, y, width - 1, h - 1));
        }
    }
}

void SubnetTable::keyPressEvent(QKeyEvent* e)
{
    if (!model.shown())
        return QAbstractScrollArea::keyPressEvent(e);
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    const long long page = model.visibleRows();
    if (e->matches(QKeySequence::Copy))
        copy();
    else if (e->matches(QKeySequence::SelectAll))
        selectAll();
    else {
        switch (e->key()) {
        case Qt::Key_Up: model.moveBy(-1, shift); break;
        case Qt::Key_Down: model.moveBy(1, shift); break;
        case Qt::Key_PageUp: model.moveBy(-page, shift); break;
        case Qt::Key_PageDown: model.moveBy(page, shift); break;
        case Qt::Key_Home: model.moveHome(shift); break;
        case Qt::Key_End: model.moveEnd(shift); break;
        default: return QAbstractScrollArea::keyPressEvent(e);
        }
    }
    e->accept();
    syncScrollBar();
    updateAccessibleText();
    viewport()->update();
}

bool SubnetTable::event(QEvent* e)
{
    // Ctrl+C and Ctrl+A belong to the table while it has the focus.
    if (e->type() == QEvent::ShortcutOverride) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->matches(QKeySequence::Copy) || k->matches(QKeySequence::SelectAll)) {
            e->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(e);
}

void SubnetTable::mousePressEvent(QMouseEvent* e)
{
    setFocus(Qt::MouseFocusReason);
    if (auto row = rowAt(e->position().toPoint().y())) {
        model.moveTo(*row, e->modifiers() & Qt::ShiftModifier);
        syncScrollBar();
        updateAccessibleText();
        viewport()->update();
    }
}

void SubnetTable::wheelEvent(QWheelEvent* e)
{
    const int steps = e->angleDelta().y() / 40;  // three rows a notch
    if (steps != 0 && model.shown()) {
        model.scrollBy(-steps);
        syncScrollBar();
        viewport()->update();
    }
    e->accept();
}

void SubnetTable::copy()
{
    if (auto text = model.copySelection())
        QApplication::clipboard()->setText(QString::fromStdString(*text));
    if (onMessage)
        onMessage();
}

void SubnetTable::selectAll()
{
    model.selectAll();
    syncScrollBar();
    viewport()->update();
    if (onMessage)
        onMessage();
}

void SubnetTable::updateAccessibleText()
{
    if (!model.shown()) {
        setAccessibleDescription(QStringLiteral("No listing"));
        return;
    }
    const auto c = model.cells(model.current());
    setAccessibleDescription(
        QStringLiteral("%1 rows; row %2: %3, first %4, last %5%6")
            .arg(QString::fromStdString(net::toDecimal(model.rowCount())), QString::fromStdString(c[0]),
                 QString::fromStdString(c[1]), QString::fromStdString(c[2]), QString::fromStdString(c[3]),
                 c[4].empty() ? QString() : QStringLiteral(", broadcast ") + QString::fromStdString(c[4])));
}

}  // namespace mq::ui
