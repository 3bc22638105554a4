// The tree of blocks over the open plan: one row a block, the roots on top,
// each block's parts below it in address order. Name and note are edited in
// place; the edit goes to the form model as an undoable change.
//
// The model answers for the shape of the tree from what it last told the
// views (the parts of each block a view has asked about), and sync() compares
// that with the plan after a change: parts that changed are reported removed
// and inserted, everything else keeps its rows, so expansion and selection
// survive. Only the blocks the plan lists as edited are looked at
// (Plan::changes()), so an edit costs what it changed; when the plan cannot
// say (a new plan, a change of settings), everything told is.
#pragma once

#include "planner/planner_form.h"

#include <QAbstractItemModel>
#include <unordered_map>
#include <vector>

namespace mq::ui {

class PlanTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit PlanTreeModel(planner::PlannerForm& form, QObject* parent = nullptr);

    // The plan changed: reports what differs from what the views were told.
    void sync();

    QModelIndex indexOf(plan::BlockId id, int column = 0) const;
    static plan::BlockId blockOf(const QModelIndex& index);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    // Without asking for the parts: a view asks this of every row it shows.
    bool hasChildren(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    // An edit went into the plan (or was refused with a message).
    void edited();

private:
    struct Node {
        plan::BlockId up = plan::kNoBlock;
        int row = 0;
        bool asked = false;  // kids hold what a view was told
        std::vector<plan::BlockId> kids;
    };
    std::vector<plan::BlockId> planRoots() const;
    Node& ask(plan::BlockId id) const;  // the node, its parts told once asked
    void forget(plan::BlockId id);  // a node and everything told under it
    QModelIndex make(plan::BlockId id, int column) const;

    planner::PlannerForm& form;
    mutable std::vector<plan::BlockId> roots;
    mutable std::unordered_map<plan::BlockId, Node> nodes;
    std::uint64_t serial = 0;  // the plan's change list, read up to `seen`
    std::size_t seen = 0;
};

}  // namespace mq::ui
