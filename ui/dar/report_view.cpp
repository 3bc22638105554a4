#include "ui/dar/report_view.h"

#include "ui/platform/geometry.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <algorithm>
#include <climits>
#include <vector>

namespace mq::ui {

QFont reportFont(bool bold, bool italic)
{
    QFont f;
    // A narrow face, so that the widest address stays inside its tab stops.
    f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                   QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans Condensed"),
                   QStringLiteral("DejaVu Sans")});
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(kDarPointSize);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

// ---------------------------------------------------------------- model

ReportListModel::ReportListModel(const DarReport& report, QObject* parent)
    : QAbstractListModel(parent), r(report), generation(report.generation()),
      shown(static_cast<int>(std::min<std::int64_t>(report.lineCount(), INT_MAX)))
{
}

int ReportListModel::rowCount(const QModelIndex& parent) const
{
    // What the view has been told of, which may trail the report during a run.
    return parent.isValid() ? 0 : shown;
}

bool ReportListModel::sync()
{
    const int now = static_cast<int>(std::min<std::int64_t>(r.lineCount(), INT_MAX));
    if (cleared() || now < shown) {
        beginResetModel();
        generation = r.generation();
        shown = now;
        endResetModel();
        return true;
    }
    if (now > shown) {
        beginInsertRows(QModelIndex(), shown, now - 1);
        shown = now;
        endInsertRows();
        return true;
    }
    return false;
}

QVariant ReportListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= shown)
        return {};
    const std::int64_t i = index.row();
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(r.line(i));
    case Qt::FontRole: {
        const auto f = r.format(i);
        return reportFont(f.bold, f.italic);
    }
    case TabStopsRole:
        return r.format(i).tabStops;
    default:
        return {};
    }
}

// ---------------------------------------------------------------- painting

ReportLineDelegate::ReportLineDelegate(QObject* parent) : QStyledItemDelegate(parent)
{
    for (int t : kDarTabStops)
        tabs.append(QTextOption::Tab(twipsToPixels(t), QTextOption::LeftTab));
}

void ReportLineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    painter->save();
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
    if (selected)
        painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
    painter->setPen(option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setFont(index.data(Qt::FontRole).value<QFont>());
    QTextOption text;
    text.setWrapMode(QTextOption::NoWrap);
    text.setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    if (index.data(TabStopsRole).toBool())
        text.setTabs(tabs);
    const QRectF area = QRectF(option.rect).adjusted(2, 0, 0, 0);
    painter->drawText(area, index.data(Qt::DisplayRole).toString(), text);
    painter->restore();
}

QSize ReportLineDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const
{
    // Every line is as high as a bold line of the report.
    const QFontMetrics m(reportFont(true, true));
    return {twipsToPixels(5500) + 8 * m.averageCharWidth() + 16 * m.averageCharWidth(), m.height() + 1};
}

// ---------------------------------------------------------------- the view

ReportView::ReportView(const DarReport& report, QWidget* parent)
    : QListView(parent), lines(new ReportListModel(report, this))
{
    setModel(lines);
    setItemDelegate(new ReportLineDelegate(this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFont(reportFont());
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette p = palette();
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Text, Qt::black);
    setPalette(p);
}

QString ReportView::selectedText() const
{
    std::vector<std::pair<int, int>> ranges;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        ranges.emplace_back(range.top(), range.bottom());
    std::sort(ranges.begin(), ranges.end());
    QString out;
    int next = 0;  // rows below this one are already in the text
    std::string line;
    for (auto [top, bottom] : ranges) {
        for (int row = std::max(top, next); row <= bottom; ++row) {
            line.clear();
            lines->report().appendLine(row, line);
            line += '\n';
            out += QString::fromStdString(line);
        }
        next = std::max(next, bottom + 1);
    }
    return out;
}

void ReportView::copy() const
{
    const QString text = selectedText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

void ReportView::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        copy();
        return;
    }
    QListView::keyPressEvent(event);
}

void ReportView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    QAction* copyAction = menu.addAction(tr("&Copy"), this, &ReportView::copy);
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setEnabled(selectionModel()->hasSelection());
    QAction* all = menu.addAction(tr("Select &All"), this, &QListView::selectAll);
    all->setShortcut(QKeySequence::SelectAll);
    all->setEnabled(model()->rowCount() > 0);
    menu.exec(event->globalPos());
}

}  // namespace mq::ui
