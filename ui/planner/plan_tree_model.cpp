#include "ui/planner/plan_tree_model.h"

#include "ui/planner/allocation_map.h"

#include <QColor>
#include <QFont>

namespace mq::ui {

PlanTreeModel::PlanTreeModel(planner::PlannerForm& f, QObject* parent) : QAbstractItemModel(parent), form(f) {}

void PlanTreeModel::reload()
{
    beginResetModel();
    endResetModel();
}

void PlanTreeModel::textsChanged()
{
    // Names and notes of any block may have changed: repaint what is shown.
    emit layoutAboutToBeChanged();
    emit layoutChanged();
}

plan::BlockId PlanTreeModel::blockOf(const QModelIndex& index)
{
    return index.isValid() ? static_cast<plan::BlockId>(index.internalId()) : plan::kNoBlock;
}

int PlanTreeModel::rowOf(plan::BlockId id) const
{
    const plan::Plan& p = form.plan();
    const plan::Block& b = p.block(id);
    if (b.parent == plan::kNoBlock)
        return 0;
    // Parts are equal and in address order: the row is the part's number.
    const net::Prefix& up = p.block(b.parent).prefix;
    const int shift = b.prefix.address.bits() - b.prefix.length;
    return static_cast<int>((b.prefix.network().value - up.network().value) >> shift);
}

QModelIndex PlanTreeModel::indexOf(plan::BlockId id, int column) const
{
    if (!form.plan().exists(id))
        return {};
    return createIndex(rowOf(id), column, static_cast<quintptr>(id));
}

QModelIndex PlanTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column < 0 || column >= planner::ColumnCount)
        return {};
    const plan::Plan& p = form.plan();
    if (!parent.isValid())
        return row == 0 ? createIndex(0, column, static_cast<quintptr>(p.root())) : QModelIndex();
    const plan::Block& b = p.block(blockOf(parent));
    if (parent.column() != 0 || row >= static_cast<int>(b.children.size()))
        return {};
    return createIndex(row, column, static_cast<quintptr>(b.children[static_cast<std::size_t>(row)]));
}

QModelIndex PlanTreeModel::parent(const QModelIndex& child) const
{
    const plan::BlockId id = blockOf(child);
    if (id == plan::kNoBlock || !form.plan().exists(id))
        return {};
    const plan::BlockId up = form.plan().block(id).parent;
    return up == plan::kNoBlock ? QModelIndex() : indexOf(up);
}

int PlanTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return 1;
    if (parent.column() != 0)
        return 0;
    return static_cast<int>(form.plan().block(blockOf(parent)).children.size());
}

int PlanTreeModel::columnCount(const QModelIndex&) const
{
    return planner::ColumnCount;
}

QVariant PlanTreeModel::data(const QModelIndex& index, int role) const
{
    const plan::BlockId id = blockOf(index);
    if (id == plan::kNoBlock || !form.plan().exists(id))
        return {};
    const plan::Block& b = form.plan().block(id);
    const bool freeLeaf = b.children.empty() && !b.assigned;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return QString::fromStdString(planner::cellText(form.plan(), id, index.column()));
    case Qt::DecorationRole:
        return index.column() == planner::ColName ? QVariant(rgbColour(planner::displayColour(b))) : QVariant();
    case Qt::FontRole:
        if (freeLeaf) {
            QFont f;
            f.setItalic(true);
            return f;
        }
        return {};
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
        return QStringLiteral("%1 %2, %3")
            .arg(QString::fromStdString(b.name), QString::fromStdString(planner::prefixText(b.prefix)),
                 b.children.empty() ? (b.assigned ? QStringLiteral("assigned") : QStringLiteral("free"))
                                    : QStringLiteral("%1 parts").arg(b.children.size()));
    case Qt::TextAlignmentRole:
        return index.column() == planner::ColHosts || index.column() == planner::ColSpare
                   ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                   : QVariant();
    default:
        return {};
    }
}

bool PlanTreeModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const plan::BlockId id = blockOf(index);
    if (role != Qt::EditRole || id == plan::kNoBlock)
        return false;
    const std::string text = value.toString().toStdString();
    bool ok = false;
    if (index.column() == planner::ColName)
        ok = form.rename(id, text);
    else if (index.column() == planner::ColNote)
        ok = form.setNote(id, text);
    else
        return false;
    if (ok)
        emit dataChanged(index, index);
    emit edited();
    return ok;
}

Qt::ItemFlags PlanTreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (index.column() == planner::ColName || index.column() == planner::ColNote)
        f |= Qt::ItemIsEditable;
    if (form.plan().block(blockOf(index)).children.empty())
        f |= Qt::ItemNeverHasChildren;
    return f;
}

QVariant PlanTreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return QString::fromUtf8(planner::columnTitle(section));
    return {};
}

}  // namespace mq::ui
