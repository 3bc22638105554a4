// The "Allocations" table beside the tree: the rows of planner::allocationRows
// made afresh when the plan changes, sorted through a proxy on the keys that
// order each column as it means (numbers by value, addresses by address).
#pragma once

#include "planner/allocation_table.h"

#include <QAbstractTableModel>

namespace mq::ui {

class AllocationTableModel : public QAbstractTableModel {
public:
    static constexpr int SortKeyRole = Qt::UserRole + 1;
    static constexpr int BlockRole = Qt::UserRole + 2;

    explicit AllocationTableModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    void setRows(std::vector<planner::AllocationRow> next);
    const std::vector<planner::AllocationRow>& rows() const { return all; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<planner::AllocationRow> all;
};

}  // namespace mq::ui
