#include "ui/planner/allocation_table_model.h"

namespace mq::ui {

void AllocationTableModel::setPlan(const plan::Plan& plan)
{
    beginResetModel();
    doc = &plan;
    pairs = plan::allocationRows(plan);
    worded.clear();
    worded.resize(pairs.size());
    endResetModel();
}

const planner::AllocationRow& AllocationTableModel::row(int r) const
{
    auto& w = worded[static_cast<std::size_t>(r)];
    if (!w)
        w = std::make_unique<planner::AllocationRow>(planner::tableRow(*doc, pairs[static_cast<std::size_t>(r)]));
    return *w;
}

int AllocationTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(pairs.size());
}

int AllocationTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : planner::AllocColumnCount;
}

QVariant AllocationTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= static_cast<int>(pairs.size()))
        return {};
    if (role == BlockRole)
        return static_cast<qulonglong>(pairs[static_cast<std::size_t>(index.row())].main());
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != SortKeyRole && role != Qt::TextAlignmentRole)
        return {};
    const planner::AllocationRow& r = row(index.row());
    const auto c = static_cast<std::size_t>(index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: return QString::fromStdString(r.cells[c]);
    case SortKeyRole: return QString::fromStdString(r.keys[c]);
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
