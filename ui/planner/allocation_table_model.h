// The "Allocations" table beside the tree: the rows of planner::allocationRows,
// sorted through a proxy on the keys that order each column as it means
// (numbers by value, addresses by address). After an edit only the rows in the
// space of the blocks edited are made again (Plan::changes()), unless rows of
// two families are paired by name: then, as after a change of settings or a
// new plan, all of them are.
#pragma once

#include "planner/allocation_table.h"

#include <QAbstractTableModel>
#include <memory>

namespace mq::ui {

class AllocationTableModel : public QAbstractTableModel {
public:
    static constexpr int SortKeyRole = Qt::UserRole + 1;
    static constexpr int BlockRole = Qt::UserRole + 2;

    explicit AllocationTableModel(QObject* parent = nullptr) : QAbstractTableModel(parent) { }

    // The plan's rows; their cells are worded when a view asks for them, so
    // a table of a million rows costs only what is on screen (and a sort).
    void setPlan(const plan::Plan& plan);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const planner::AllocationRow& row(int r) const;
    // Where a block lies in the table's order: its root's place, then its first address.
    struct Key {
        std::size_t root = 0;
        net::u128 first = 0;
        auto operator<=>(const Key&) const = default;
    };
    Key keyOf(plan::BlockId id) const;
    bool update(const plan::Plan& plan);  // false when the rows must all be made again
    void replace(plan::BlockId top, Key first, Key last);

    const plan::Plan* doc = nullptr;
    std::vector<plan::AllocationRow> pairs;
    std::vector<Key> keys;  // each row's, in order
    std::uint64_t serial = 0;  // the plan's change list, read up to `seen`
    std::size_t seen = 0;
    std::vector<plan::BlockId> roots;  // the plan's when the rows were made: a root added makes them again
    mutable std::vector<std::unique_ptr<planner::AllocationRow>> worded;
};

}  // namespace mq::ui
