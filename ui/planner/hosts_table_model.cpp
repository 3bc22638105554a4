#include "ui/planner/hosts_table_model.h"

#include "ui/planner/elided_label.h"

namespace mq::ui {

void HostsTableModel::setPlan(const plan::Plan& plan)
{
    if (rows.isCurrent(plan))
        return;
    beginResetModel();
    rows.setPlan(plan);
    endResetModel();
}

void HostsTableModel::setFilter(const QString& text)
{
    beginResetModel();
    rows.setFilter(text.toStdString());
    endResetModel();
}

int HostsTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows.rowCount());
}

int HostsTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : planner::HostColumnCount;
}

QVariant HostsTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const auto r = static_cast<std::size_t>(index.row());
    switch (role) {
    case Qt::DisplayRole: return QString::fromStdString(rows.cell(r, index.column()));
    case Qt::ToolTipRole: return plainToolTip(QString::fromStdString(rows.cell(r, index.column())));
    case BlockRole: return static_cast<qulonglong>(rows.blockOf(r));
    case HostRole: return static_cast<qulonglong>(rows.hostAt(r));
    default: return {};
    }
}

QVariant HostsTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return QString::fromUtf8(planner::hostColumnTitle(section));
    return {};
}

void HostsTableModel::sort(int column, Qt::SortOrder order)
{
    beginResetModel();
    rows.sort(column, order == Qt::DescendingOrder);
    endResetModel();
}

void ProblemListModel::update(const plan::Plan& plan, std::uint64_t revision)
{
    if (list.isCurrent(plan, revision))
        return;
    beginResetModel();
    list.update(plan, revision);
    endResetModel();
}

int ProblemListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(list.problems().size());
}

QVariant ProblemListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const plan::SubnetProblem& p = list.problems()[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole: return QString::fromStdString(p.message);
    case Qt::ToolTipRole: return plainToolTip(QString::fromStdString(p.message));
    case BlockRole: return static_cast<qulonglong>(p.block);
    case HostRole: return p.host ? static_cast<qlonglong>(*p.host) : qlonglong(-1);
    default: return {};
    }
}

}  // namespace mq::ui
