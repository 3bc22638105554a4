#include "ui/planner/allocation_map.h"

#include "plan/allocations.h"
#include "planner/planner_form.h"
#include "ui/planner/elided_label.h"
#include "ui/platform/theme.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace mq::ui {

namespace {

const QColor kMixed(128, 128, 128);
const QColor kHatch(150, 150, 150);

QString blockLabel(const plan::Block& b)
{
    // A block kept back says so, with its name or alone.
    if (b.state == plan::BlockState::Reserved)
        return b.name.empty() ? QStringLiteral("reserved") : QString::fromStdString(b.name + " (reserved)");
    return b.name.empty() ? QString::fromStdString(planner::prefixText(b.prefix)) : QString::fromStdString(b.name);
}

// Free space: a pale tint of its colour under a light palette; under a dark one a dark
// tint (a quarter of the colour in the base), so that free rows do not glare.
QColor freeFill(const QColor& fill, const QPalette& palette)
{
    if (!isDarkPalette(palette))
        return fill.lighter(115);
    const QColor base = palette.color(QPalette::Base);
    auto mix = [](int b, int c) { return (b * 3 + c) / 4; };
    return QColor(mix(base.red(), fill.red()), mix(base.green(), fill.green()), mix(base.blue(), fill.blue()));
}

// White within black: one of the two stands out on any block colour.
void drawSelection(QPainter& p, const QRectF& box)
{
    p.setPen(QPen(Qt::black, 3));
    p.drawRect(box);
    p.setPen(QPen(Qt::white, 1));
    p.drawRect(box);
}

}  // namespace

AllocationMap::AllocationMap(QWidget* parent) : QWidget(parent), bar(new QScrollBar(Qt::Vertical, this))
{
    setObjectName(QStringLiteral("allocationMap"));
    setAccessibleName(QStringLiteral("Allocation map"));
    setAccessibleDescription(QStringLiteral(
        "The root block's addresses from left to right, row by row; plus and minus zoom, left and right step "
        "through the blocks"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setMinimumSize(200, kRowHeight * 3);
    bar->setObjectName(QStringLiteral("mapScrollBar"));
    bar->setAccessibleName(QStringLiteral("Allocation map rows"));
    bar->setFocusPolicy(Qt::NoFocus);
    connect(bar, &QScrollBar::valueChanged, this, [this] { update(); });
    updateBar();
}

void AllocationMap::setPlan(const plan::Plan* plan)
{
    doc = plan;
    planChanged();
}

void AllocationMap::planChanged()
{
    if (doc)
        index.update(*doc, shownRoot());
    if (!doc || !doc->exists(chosen))
        chosen = plan::kNoBlock;
    updateBar();
    update();
}

plan::BlockId AllocationMap::shownRoot() const
{
    if (!doc)
        return plan::kNoBlock;
    return doc->exists(rootId) && doc->block(rootId).parent == plan::kNoBlock ? rootId : doc->root();
}

void AllocationMap::setRoot(plan::BlockId root)
{
    if (root == rootId)
        return;
    rootId = root;
    planChanged();
}

void AllocationMap::setSelected(plan::BlockId id)
{
    if (id == chosen)
        return;
    chosen = id;
    if (doc && doc->exists(id))
        setAccessibleDescription(
            QStringLiteral("Selected: %1").arg(QString::fromStdString(planner::blockTitle(doc->block(id)))));
    update();
}

int AllocationMap::margin() const
{
    if (!doc)
        return 0;
    // Wide enough for the longest prefix a row can name; none on a narrow map.
    const QFontMetrics fm(font());
    const int want = std::max(fm.horizontalAdvance(rowText(0)), fm.horizontalAdvance(rowText(rows() - 1))) + 10;
    return width() - bar->sizeHint().width() - want >= 240 ? want : 0;
}

QRect AllocationMap::rowBox(int r) const
{
    return QRect(0, r * kRowHeight + 1, lineWidth(), kRowHeight - 3);
}

int AllocationMap::lineWidth() const
{
    return std::max(1, width() - bar->sizeHint().width() - margin());
}

int AllocationMap::baseRows() const
{
    const int fit = std::max(1, height() / kRowHeight);
    int bits = 0;
    while ((2 << bits) <= fit)
        ++bits;
    if (doc) {
        const net::Prefix& root = doc->block(shownRoot()).prefix;
        bits = std::min(bits, root.address.bits() - root.length);
    }
    return 1 << bits;
}

int AllocationMap::rowBits() const
{
    return static_cast<int>(std::log2(baseRows())) + level;
}

double AllocationMap::rows() const
{
    return std::ldexp(static_cast<double>(baseRows()), level);
}

QString AllocationMap::rowText(double row) const
{
    const net::Prefix& root = doc->block(shownRoot()).prefix;
    const int bits = std::min(rowBits(), root.address.bits() - root.length);
    const int shift = root.address.bits() - root.length - bits;
    const net::u128 start = root.network().value + (static_cast<net::u128>(row) << shift);
    return QString::fromStdString(planner::prefixText(net::Prefix{{start, root.address.family}, root.length + bits}));
}

double AllocationMap::lineLength() const
{
    return rows() * lineWidth();
}

void AllocationMap::updateBar()
{
    const int total = static_cast<int>(rows());
    bar->setRange(0, std::max(0, total - baseRows()));
    bar->setPageStep(baseRows());
    bar->setSingleStep(1);
    bar->setVisible(level > 0);
    bar->setGeometry(width() - bar->sizeHint().width(), 0, bar->sizeHint().width(), height());
}

void AllocationMap::setZoom(int newLevel)
{
    int most = kMaxZoom;
    if (doc) {  // no row smaller than one address
        const net::Prefix& root = doc->block(shownRoot()).prefix;
        most = std::min(most, root.address.bits() - root.length - static_cast<int>(std::log2(baseRows())));
    }
    newLevel = std::clamp(newLevel, 0, std::max(0, most));
    if (newLevel == level)
        return;
    // Keep the middle of the view where it is.
    const double middle = (bar->value() + baseRows() / 2.0) / rows();
    level = newLevel;
    updateBar();
    bar->setValue(static_cast<int>(middle * rows() - baseRows() / 2.0));
    update();
}

void AllocationMap::resizeEvent(QResizeEvent*)
{
    updateBar();
}

plan::BlockId AllocationMap::blockAt(const QPoint& at) const
{
    const QPoint pos = at - QPoint(margin(), 0);
    if (!doc || pos.x() < 0 || pos.x() >= lineWidth() || pos.y() < 0)
        return plan::kNoBlock;
    const double row = bar->value() + pos.y() / kRowHeight;
    if (row >= rows())
        return plan::kNoBlock;
    const long double share = (static_cast<long double>(row) * lineWidth() + pos.x() + 0.5L) / lineLength();
    return index.leafAt(share);
}

QPoint AllocationMap::pointOf(plan::BlockId id) const
{
    if (!doc || !doc->exists(id))
        return {-1, -1};
    const auto [start, size] = planner::MapIndex::extent(*doc, id);
    const double at = static_cast<double>((start + size / 2) * lineLength());
    const double row = std::floor(at / lineWidth());
    return {margin() + static_cast<int>(at - row * lineWidth()),
            static_cast<int>((row - bar->value()) * kRowHeight + kRowHeight / 2)};
}

void AllocationMap::scrollToBlock(plan::BlockId id)
{
    if (!doc || !doc->exists(id))
        return;
    const auto [start, size] = planner::MapIndex::extent(*doc, id);
    const double row = std::floor(static_cast<double>(start * rows()));
    if (row < bar->value() || row >= bar->value() + baseRows())
        bar->setValue(static_cast<int>(row) - baseRows() / 2);
}

void AllocationMap::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const int W = lineWidth();
    const int R = baseRows();
    const int top = bar->value();
    p.fillRect(QRect(0, 0, width(), height()), palette().window());
    if (!doc)
        return;
    const double total = rows();
    const int shown = static_cast<int>(std::min<double>(R + 1, total - top));
    const QFontMetrics fm(font());
    // Each row's prefix in the margin, then the rows themselves beside it.
    if (const int left = margin(); left > 0) {
        p.setPen(palette().windowText().color());
        for (int r = 0; r < shown; ++r)
            p.drawText(QRect(0, r * kRowHeight + 1, left - 6, kRowHeight - 3), Qt::AlignRight | Qt::AlignVCenter,
                       rowText(top + r));
        p.translate(left, 0);
    }
    for (int r = 0; r < shown; ++r)
        p.fillRect(rowBox(r), palette().base());
    const QBrush hatch(isDarkPalette(palette()) ? kHatch.darker(160) : kHatch, Qt::BDiagPattern);
    const double length = lineLength();
    const auto spans = index.spans(length, static_cast<double>(top) * W, static_cast<double>(top + shown) * W);
    for (const planner::MapSpan& s : spans) {
        const plan::Block& b = doc->block(s.id);
        const bool freeLeaf = b.state == plan::BlockState::Free && !s.mixed;
        const QColor own = s.mixed ? kMixed : rgbColour(planner::displayColour(b));
        const QColor fill = freeLeaf ? freeFill(own, palette()) : own;
        bool named = s.mixed;  // a name is written once, in the first piece it fits
        for (double at = s.from; at < s.to;) {
            const double row = std::floor(at / W);
            const double rowEnd = (row + 1) * W;
            const double end = std::min(s.to, rowEnd);
            const int y = static_cast<int>(row - top) * kRowHeight + 1;
            if (y >= 0 && y < height()) {
                const double x0 = at - row * W;
                const double w = std::max(1.0, end - at);
                const QRectF cell(x0, y, w, kRowHeight - 3);
                p.fillRect(cell, fill);
                if (freeLeaf)
                    p.fillRect(cell, hatch);
                if (!s.mixed && w >= 3)
                    p.fillRect(QRectF(x0, y, 1, kRowHeight - 3), edgeOn(fill));
                if (!named) {
                    const QString label = blockLabel(b);
                    if (w > fm.horizontalAdvance(label) + 6) {
                        p.setPen(inkOn(fill));
                        p.drawText(cell, Qt::AlignCenter, label);
                        named = true;
                    }
                }
            }
            at = end;
        }
    }
    // However pale a block's colour, the row's outline parts it from the window.
    p.setPen(accent(Accent::Muted, palette()));
    p.setBrush(Qt::NoBrush);
    for (int r = 0; r < shown; ++r)
        p.drawRect(rowBox(r).adjusted(0, 0, -1, -1));
    paintSelection(p, top, shown);
    if (hasFocus()) {
        p.setPen(QPen(palette().windowText().color(), 1, Qt::DotLine));
        p.drawRect(QRect(0, 0, W - 1, height() - 1));
    }
}

void AllocationMap::paintSelection(QPainter& p, int top, int shown) const
{
    if (chosen == plan::kNoBlock || !doc->exists(chosen) || planner::MapIndex::rootOf(*doc, chosen) != shownRoot())
        return;
    const int W = lineWidth();
    const double length = lineLength();
    const auto [start, size] = planner::MapIndex::extent(*doc, chosen);
    const double a = static_cast<double>(start * length);
    const double e = static_cast<double>((start + size) * length);
    const double firstRow = std::max<double>(top, std::floor(a / W));
    const double lastRow = std::min<double>(top + shown - 1, std::floor(std::nextafter(e, 0.0) / W));
    for (double row = firstRow; row <= lastRow; ++row) {
        const double x0 = std::max(a, row * W) - row * W;
        const double x1 = std::min(e, (row + 1) * W) - row * W;
        const int y = static_cast<int>(row - top) * kRowHeight;
        drawSelection(p, QRectF(x0 + 1, y + 1, std::max(1.0, x1 - x0 - 2), kRowHeight - 3));
    }
}

void AllocationMap::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    const plan::BlockId id = blockAt(event->position().toPoint());
    if (id != plan::kNoBlock) {
        setSelected(id);
        emit blockClicked(id);
    }
}

void AllocationMap::wheelEvent(QWheelEvent* event)
{
    const int steps = event->angleDelta().y() / 120;
    if (event->modifiers() & Qt::ControlModifier)
        setZoom(level + steps);
    else
        bar->setValue(bar->value() - steps * 3);
    event->accept();
}

void AllocationMap::moveSelection(int step)
{
    if (!doc || index.leafCount() == 0)
        return;
    std::size_t i = 0;
    if (doc->exists(chosen)) {
        const auto [start, size] = planner::MapIndex::extent(*doc, chosen);
        i = index.indexAt(step < 0 ? start : start + size - size / 2);
        if (step < 0 && i > 0)
            --i;
        else if (step > 0 && doc->block(chosen).children.empty() && i + 1 < index.leafCount())
            ++i;
    }
    const plan::BlockId id = index.leaf(i);
    setSelected(id);
    scrollToBlock(id);
    emit blockClicked(id);
}

void AllocationMap::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal: zoomIn(); break;
    case Qt::Key_Minus: zoomOut(); break;
    case Qt::Key_Left: moveSelection(-1); break;
    case Qt::Key_Right: moveSelection(1); break;
    case Qt::Key_PageDown: bar->setValue(bar->value() + baseRows()); break;
    case Qt::Key_PageUp: bar->setValue(bar->value() - baseRows()); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

bool AllocationMap::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && doc) {
        auto* help = static_cast<QHelpEvent*>(event);
        const plan::BlockId id = blockAt(help->pos());
        if (id == plan::kNoBlock) {
            QToolTip::hideText();
        } else {
            const plan::Block& b = doc->block(id);
            QToolTip::showText(
                help->globalPos(),
                plainToolTip(QStringLiteral("%1\n%2, %3")
                                 .arg(blockLabel(b), QString::fromStdString(planner::prefixText(b.prefix)),
                                      QString::fromUtf8(plan::blockStatus(b)))),
                this);
        }
        return true;
    }
    return QWidget::event(event);
}

}  // namespace mq::ui
