#include "ui/planner/plan_tree_model.h"

#include "plan/allocations.h"

#include "ui/planner/allocation_map.h"
#include "ui/planner/elided_label.h"
#include "ui/platform/theme.h"

#include <QApplication>
#include <QColor>
#include <QFont>
#include <algorithm>

namespace mq::ui {

PlanTreeModel::PlanTreeModel(planner::PlannerForm& f, QObject* parent) : QAbstractItemModel(parent), form(f)
{
    roots = planRoots();
    for (std::size_t i = 0; i < roots.size(); ++i)
        nodes[roots[i]] = Node{plan::kNoBlock, static_cast<int>(i), false, {}};
}

std::vector<plan::BlockId> PlanTreeModel::planRoots() const
{
    return form.plan().roots();
}

PlanTreeModel::Node& PlanTreeModel::ask(plan::BlockId id) const
{
    Node& n = nodes[id];
    if (!n.asked) {
        n.asked = true;
        n.kids = form.plan().exists(id) ? form.plan().block(id).children : std::vector<plan::BlockId>{};
        for (std::size_t i = 0; i < n.kids.size(); ++i)
            nodes[n.kids[i]] = Node{id, static_cast<int>(i), false, {}};
    }
    return nodes[id];
}

void PlanTreeModel::forget(plan::BlockId id)
{
    auto it = nodes.find(id);
    if (it == nodes.end())
        return;
    const std::vector<plan::BlockId> kids = std::move(it->second.kids);
    nodes.erase(it);
    for (plan::BlockId k : kids)
        forget(k);
}

QModelIndex PlanTreeModel::make(plan::BlockId id, int column) const
{
    const auto it = nodes.find(id);
    return it == nodes.end() ? QModelIndex() : createIndex(it->second.row, column, static_cast<quintptr>(id));
}

void PlanTreeModel::sync()
{
    const plan::Plan& p = form.plan();
    const std::vector<plan::BlockId> now = planRoots();
    const std::vector<plan::BlockId>& log = p.changes();
    const bool listed = p.changeSerial() == serial && seen < log.size();
    std::vector<plan::BlockId> edited;
    if (listed)
        edited.assign(log.begin() + static_cast<std::ptrdiff_t>(seen), log.end());
    serial = p.changeSerial();
    seen = log.size();
    if (now != roots) {
        beginResetModel();
        nodes.clear();
        roots = now;
        for (std::size_t i = 0; i < roots.size(); ++i)
            nodes[roots[i]] = Node{plan::kNoBlock, static_cast<int>(i), false, {}};
        endResetModel();
        return;
    }
    if (!listed)  // anything may have changed: every part told is looked at
        for (const auto& [id, n] : nodes)
            edited.push_back(id);
    std::sort(edited.begin(), edited.end());
    edited.erase(std::unique(edited.begin(), edited.end()), edited.end());
    // Parents first, so a part that is gone takes what was told under it along.
    std::vector<std::pair<int, plan::BlockId>> asked;
    for (plan::BlockId id : edited) {
        const auto it = nodes.find(id);
        if (it == nodes.end() || !it->second.asked)
            continue;
        int depth = 0;
        for (plan::BlockId up = it->second.up; up != plan::kNoBlock; up = nodes.at(up).up)
            ++depth;
        asked.emplace_back(depth, id);
    }
    std::sort(asked.begin(), asked.end());
    for (const auto& [depth, id] : asked) {
        auto it = nodes.find(id);
        if (it == nodes.end())
            continue;  // under a part that went
        const std::vector<plan::BlockId>& live = p.exists(id) ? p.block(id).children : std::vector<plan::BlockId>{};
        if (live == it->second.kids)
            continue;
        const QModelIndex at = make(id, 0);
        if (!it->second.kids.empty()) {
            beginRemoveRows(at, 0, static_cast<int>(it->second.kids.size()) - 1);
            for (plan::BlockId k : std::vector<plan::BlockId>(std::move(it->second.kids)))
                forget(k);
            nodes[id].kids.clear();
            endRemoveRows();
        }
        if (!live.empty()) {
            beginInsertRows(at, 0, static_cast<int>(live.size()) - 1);
            Node& n = nodes[id];
            n.kids = live;
            for (std::size_t i = 0; i < live.size(); ++i)
                nodes[live[i]] = Node{id, static_cast<int>(i), false, {}};
            endInsertRows();
        }
    }
    // Names, notes, states and counts of the blocks edited, wherever told; all of
    // them when the plan's settings (which the counts follow) may have changed.
    const int last = planner::ColumnCount - 1;
    if (!listed) {
        emit dataChanged(index(0, 0), index(static_cast<int>(roots.size()) - 1, last));
        for (const auto& [id, n] : nodes)
            if (n.asked && !n.kids.empty())
                emit dataChanged(
                    createIndex(0, 0, static_cast<quintptr>(n.kids.front())),
                    createIndex(static_cast<int>(n.kids.size()) - 1, last, static_cast<quintptr>(n.kids.back())));
        return;
    }
    for (plan::BlockId id : edited)
        if (const auto it = nodes.find(id); it != nodes.end())
            emit dataChanged(createIndex(it->second.row, 0, static_cast<quintptr>(id)),
                             createIndex(it->second.row, last, static_cast<quintptr>(id)));
}

plan::BlockId PlanTreeModel::blockOf(const QModelIndex& index)
{
    return index.isValid() ? static_cast<plan::BlockId>(index.internalId()) : plan::kNoBlock;
}

QModelIndex PlanTreeModel::indexOf(plan::BlockId id, int column) const
{
    const plan::Plan& p = form.plan();
    if (!p.exists(id))
        return {};
    // Tell the views the parts down to the block, from its root on.
    std::vector<plan::BlockId> chain;
    for (plan::BlockId up = p.block(id).parent; up != plan::kNoBlock; up = p.block(up).parent)
        chain.push_back(up);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        if (nodes.count(*it))
            ask(*it);
    return make(id, column);
}

QModelIndex PlanTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column < 0 || column >= planner::ColumnCount)
        return {};
    if (!parent.isValid())
        return row < static_cast<int>(roots.size())
                   ? createIndex(row, column, static_cast<quintptr>(roots[static_cast<std::size_t>(row)]))
                   : QModelIndex();
    if (parent.column() != 0)
        return {};
    const Node& n = ask(blockOf(parent));
    if (row >= static_cast<int>(n.kids.size()))
        return {};
    return createIndex(row, column, static_cast<quintptr>(n.kids[static_cast<std::size_t>(row)]));
}

QModelIndex PlanTreeModel::parent(const QModelIndex& child) const
{
    const auto it = nodes.find(blockOf(child));
    if (it == nodes.end() || it->second.up == plan::kNoBlock)
        return {};
    return make(it->second.up, 0);
}

int PlanTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return static_cast<int>(roots.size());
    if (parent.column() != 0 || !nodes.count(blockOf(parent)))
        return 0;
    return static_cast<int>(ask(blockOf(parent)).kids.size());
}

bool PlanTreeModel::hasChildren(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return !roots.empty();
    if (parent.column() != 0)
        return false;
    const auto it = nodes.find(blockOf(parent));
    if (it == nodes.end())
        return false;
    if (it->second.asked)
        return !it->second.kids.empty();
    const plan::BlockId id = blockOf(parent);
    if (form.plan().exists(id) && !form.plan().block(id).children.empty())
        return true;
    // "None" is told too: a view that opened the block never asks its rows, so
    // parts it gets later must come as inserted rows, or it shows it open and empty.
    it->second.asked = true;
    it->second.kids.clear();
    return false;
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
    const bool freeLeaf = b.children.empty() && b.state == plan::BlockState::Free;
    switch (role) {
    case Qt::EditRole:
        if (index.column() == planner::ColName)
            return QString::fromStdString(b.name);  // the name itself, not the "(reserved)" shown
        [[fallthrough]];
    case Qt::DisplayRole: return QString::fromStdString(planner::cellText(form.plan(), id, index.column()));
    case Qt::DecorationRole:
        // Outlined: a pale block colour would vanish on a light view.
        return index.column() == planner::ColName
                   ? QVariant(swatch(rgbColour(planner::displayColour(b)), QApplication::palette(), QPalette::Base, 12))
                   : QVariant();
    case Qt::FontRole:
        if (freeLeaf) {
            QFont f;
            f.setItalic(true);
            return f;
        }
        return {};
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole: {
        const QString text =
            QStringLiteral("%1 %2, %3")
                .arg(QString::fromStdString(b.name), QString::fromStdString(planner::prefixText(b.prefix)),
                     b.children.empty() ? QString::fromUtf8(plan::blockStatus(b))
                                        : QStringLiteral("%1 parts").arg(b.children.size()));
        return role == Qt::ToolTipRole ? plainToolTip(text) : text;
    }
    case Qt::TextAlignmentRole:
        return index.column() == planner::ColHosts || index.column() == planner::ColSpare
                   ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                   : QVariant();
    default: return {};
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
        emit dataChanged(index.siblingAtColumn(0), index.siblingAtColumn(planner::ColumnCount - 1));
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
    // Never Qt::ItemNeverHasChildren: a free leaf is split later, and a view
    // told "never" keeps it marked open but drawn folded once parts come back
    // (after Undo of Tidy or Join, or an Allocate into it), so + and expand()
    // do nothing there. hasChildren() answers cheaply instead.
    return f;
}

QVariant PlanTreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return QString::fromUtf8(planner::columnTitle(section));
    return {};
}

}  // namespace mq::ui
