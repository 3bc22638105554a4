#include "ui/planner/allocation_table_model.h"

namespace mq::ui {

void AllocationTableModel::setRows(std::vector<planner::AllocationRow> next)
{
    beginResetModel();
    all = std::move(next);
    endResetModel();
}

int AllocationTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(all.size());
}

int AllocationTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : planner::AllocColumnCount;
}

QVariant AllocationTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= static_cast<int>(all.size()))
        return {};
    const planner::AllocationRow& r = all[static_cast<std::size_t>(index.row())];
    const auto c = static_cast<std::size_t>(index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: return QString::fromStdString(r.cells[c]);
    case SortKeyRole: return QString::fromStdString(r.keys[c]);
    case BlockRole: return static_cast<qulonglong>(r.id);
    case Qt::TextAlignmentRole:
        return planner::allocationColumnIsNumber(index.column()) ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                                 : QVariant();
    default: return {};
    }
}

QVariant AllocationTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return QString::fromUtf8(planner::allocationColumnTitle(section));
    return {};
}

}  // namespace mq::ui
