// The planner's Hosts tab: a view model over planner::HostsTable (which sorts and filters
// indices, so the view asks only for the rows on screen) and the list of the plan's
// problems under it.
#pragma once

#include "planner/hosts_table.h"

#include <QAbstractListModel>
#include <QAbstractTableModel>

namespace mq::ui {

class HostsTableModel : public QAbstractTableModel {
public:
    static constexpr int BlockRole = Qt::UserRole + 2;
    static constexpr int HostRole = Qt::UserRole + 3;  // the index into plan.hosts()

    explicit HostsTableModel(QObject* parent = nullptr) : QAbstractTableModel(parent) { }
    planner::HostsTable& table() { return rows; }
    // The rows made again only when the plan's hosts or blocks changed.
    void setPlan(const plan::Plan& plan);
    void setFilter(const QString& text);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order) override;

private:
    planner::HostsTable rows;
};

class ProblemListModel : public QAbstractListModel {
public:
    static constexpr int BlockRole = Qt::UserRole + 2;
    static constexpr int HostRole = Qt::UserRole + 3;  // -1 for a problem of the block alone

    explicit ProblemListModel(QObject* parent = nullptr) : QAbstractListModel(parent) { }
    const planner::CheckList& checks() const { return list; }
    // Checked again when the revision moved on.
    void update(const plan::Plan& plan, std::uint64_t revision);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    planner::CheckList list;
};

}  // namespace mq::ui
