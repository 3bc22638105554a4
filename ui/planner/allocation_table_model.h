// The "Allocations" table beside the tree: the rows of planner::allocationRows
// made afresh when the plan changes, sorted through a proxy on the keys that
// order each column as it means (numbers by value, addresses by address).
#pragma once

#include "planner/allocation_table.h"

#include <QAbstractTableModel>
#include <memory>

namespace mq::ui {

class AllocationTableModel : public QAbstractTableModel {
public:
    static constexpr int SortKeyRole = Qt::UserRole + 1;
    static constexpr int BlockRole = Qt::UserRole + 2;

    explicit AllocationTableModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // The plan's rows; their cells are worded when a view asks for them, so
    // a table of a million rows costs only what is on screen (and a sort).
    void setPlan(const plan::Plan& plan);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const planner::AllocationRow& row(int r) const;

    const plan::Plan* doc = nullptr;
    std::vector<plan::AllocationRow> pairs;
    mutable std::vector<std::unique_ptr<planner::AllocationRow>> worded;
};

}  // namespace mq::ui
