#include "ui/platform/flex_grid.h"

#include "ui/platform/geometry.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

namespace mq::ui {

FlexGrid::FlexGrid(int fixedRows, QWidget* parent) : QTableWidget(parent), fixed(fixedRows > 0 ? 1 : 0)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    verticalHeader()->setVisible(false);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(twipsToPixels(255));
    horizontalHeader()->setVisible(fixed == 1);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->viewport()->installEventFilter(this);
    setWordWrap(false);
}

void FlexGrid::showGrid(const Grid& grid)
{
    const int dataRows = std::max(0, grid.rows - fixed);
    if (rowCount() != dataRows)
        setRowCount(dataRows);
    if (columnCount() != grid.cols)
        setColumnCount(grid.cols);
    for (int c = 0; c < grid.cols; ++c) {
        const auto ci = static_cast<std::size_t>(c);
        const int width = ci < grid.colWidth.size() ? grid.colWidth[ci] : 0;
        if (width > 0 && columnWidth(c) != twipsToPixels(width))
            setColumnWidth(c, twipsToPixels(width));
        const int align = ci < grid.colAlignment.size() ? grid.colAlignment[ci] : 0;
        const Qt::Alignment a = align == 1 ? (Qt::AlignLeft | Qt::AlignVCenter) : (Qt::AlignLeft | Qt::AlignVCenter);
        if (fixed) {
            const QString heading = QString::fromStdString(grid.textMatrix(0, c));
            QTableWidgetItem* h = horizontalHeaderItem(c);
            if (!h) {
                h = new QTableWidgetItem(heading);
                setHorizontalHeaderItem(c, h);
            } else if (h->text() != heading) {
                h->setText(heading);
            }
            h->setTextAlignment(a);
        }
        for (int r = 0; r < dataRows; ++r) {
            const QString t = QString::fromStdString(grid.textMatrix(r + fixed, c));
            QTableWidgetItem* it = item(r, c);
            if (!it) {
                if (t.isEmpty())
                    continue;
                it = new QTableWidgetItem(t);
                it->setTextAlignment(a);
                setItem(r, c, it);
            } else if (it->text() != t) {
                it->setText(t);
            }
        }
    }
}

void FlexGrid::readSelection(Grid& grid) const
{
    const QModelIndex cur = currentIndex();
    const auto ranges = selectedRanges();
    if (ranges.isEmpty()) {
        grid.row = grid.rowSel = cur.isValid() ? cur.row() + fixed : fixed;
        grid.col = grid.colSel = cur.isValid() ? cur.column() : 0;
        return;
    }
    const QTableWidgetSelectionRange& r = ranges.first();
    // The current cell is the corner the selection was extended to (RowSel,
    // ColSel); Row and Col are the corner opposite, where it started.
    const bool curInside = cur.isValid() && cur.row() >= r.topRow() && cur.row() <= r.bottomRow() &&
                           cur.column() >= r.leftColumn() && cur.column() <= r.rightColumn();
    const int rowSel = curInside ? cur.row() : r.bottomRow();
    const int colSel = curInside ? cur.column() : r.rightColumn();
    grid.rowSel = rowSel + fixed;
    grid.colSel = colSel;
    grid.row = (rowSel == r.topRow() ? r.bottomRow() : r.topRow()) + fixed;
    grid.col = colSel == r.leftColumn() ? r.rightColumn() : r.leftColumn();
}

bool FlexGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == horizontalHeader()->viewport() && event->type() == QEvent::MouseButtonRelease)
        emit mouseUp();
    return QTableWidget::eventFilter(watched, event);
}

void FlexGrid::mouseReleaseEvent(QMouseEvent* event)
{
    QTableWidget::mouseReleaseEvent(event);
    emit mouseUp();
}

void FlexGrid::keyReleaseEvent(QKeyEvent* event)
{
    QTableWidget::keyReleaseEvent(event);
    // A selection made with the keyboard counts as much as one made with the mouse.
    if (!event->isAutoRepeat())
        emit mouseUp();
}

}  // namespace mq::ui
