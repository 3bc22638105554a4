// The tree of blocks over the open plan: one row a block, the root on top,
// each block's parts below it in address order. Name and note are edited in
// place; the edit goes to the form model as an undoable change.
#pragma once

#include "planner/planner_form.h"

#include <QAbstractItemModel>

namespace mq::ui {

class PlanTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit PlanTreeModel(planner::PlannerForm& form, QObject* parent = nullptr);

    // The plan changed shape: every index is made afresh.
    void reload();
    // Only texts changed (a rename, a note).
    void textsChanged();

    QModelIndex indexOf(plan::BlockId id, int column = 0) const;
    static plan::BlockId blockOf(const QModelIndex& index);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    // An edit went into the plan (or was refused with a message).
    void edited();

private:
    int rowOf(plan::BlockId id) const;

    planner::PlannerForm& form;
};

}  // namespace mq::ui
