#include "ui/planner/allocation_table_model.h"

#include "planner/map_index.h"
#include "ui/planner/elided_label.h"

#include <algorithm>

namespace mq::ui {

void AllocationTableModel::setPlan(const plan::Plan& plan)
{
    if (doc == &plan && update(plan))
        return;
    beginResetModel();
    doc = &plan;
    serial = plan.changeSerial();
    seen = plan.changes().size();
    roots = plan.roots();
    pairs = plan::allocationRows(plan);
    // Rows come root by root: each row's root is found by stepping on, not by climbing.
    keys.clear();
    keys.reserve(pairs.size());
    std::size_t at = 0;
    for (const plan::AllocationRow& r : pairs) {
        const net::Prefix& p = plan.block(r.main()).prefix;
        if (at >= roots.size() || !plan.block(roots[at]).prefix.contains(p))
            at = keyOf(r.main()).root;
        keys.push_back({at, p.network().value});
    }
    worded.clear();
    worded.resize(pairs.size());
    endResetModel();
}

AllocationTableModel::Key AllocationTableModel::keyOf(plan::BlockId id) const
{
    const plan::BlockId root = planner::MapIndex::rootOf(*doc, id);
    const auto& roots = doc->roots();
    return {static_cast<std::size_t>(std::find(roots.begin(), roots.end(), root) - roots.begin()),
            doc->block(id).prefix.network().value};
}

bool AllocationTableModel::update(const plan::Plan& plan)
{
    const std::vector<plan::BlockId>& log = plan.changes();
    if (plan.changeSerial() != serial || seen >= log.size() || plan.isDualStack() || plan.roots() != roots)
        return false;
    std::vector<plan::BlockId> edited(log.begin() + static_cast<std::ptrdiff_t>(seen), log.end());
    seen = log.size();
    std::sort(edited.begin(), edited.end());
    edited.erase(std::unique(edited.begin(), edited.end()), edited.end());
    // The highest edited blocks, from the last: the rows in their space are made again.
    struct Top {
        Key first, last;
        plan::BlockId id;
    };
    std::vector<Top> tops;
    for (plan::BlockId id : edited) {
        if (!plan.exists(id))
            continue;
        const Key first = keyOf(id);
        const net::Prefix& p = plan.block(id).prefix;
        const int hostBits = p.address.bits() - p.length;
        const net::u128 span = hostBits == 0 ? 0 : net::u128(-1) >> (128 - hostBits);
        tops.push_back({first, {first.root, first.first + span}, id});
    }
    std::sort(tops.begin(), tops.end(),
              [](const Top& a, const Top& b) { return a.first != b.first ? a.first < b.first : a.last > b.last; });
    std::vector<Top> outer;
    for (const Top& t : tops)
        if (outer.empty() || t.first > outer.back().last)
            outer.push_back(t);
    for (auto it = outer.rbegin(); it != outer.rend(); ++it)
        replace(it->id, it->first, it->last);
    return true;
}

void AllocationTableModel::replace(plan::BlockId top, Key first, Key last)
{
    const auto lo = static_cast<int>(std::lower_bound(keys.begin(), keys.end(), first) - keys.begin());
    const auto hi = static_cast<int>(std::upper_bound(keys.begin(), keys.end(), last) - keys.begin());
    std::vector<plan::AllocationRow> now;
    for (plan::BlockId b : doc->preorder(top))
        if (doc->block(b).children.empty() && doc->block(b).state != plan::BlockState::Free)
            now.push_back({b, plan::kNoBlock});
    const int n = static_cast<int>(now.size());
    if (n == hi - lo) {
        for (int i = 0; i < n; ++i) {
            pairs[static_cast<std::size_t>(lo + i)] = now[static_cast<std::size_t>(i)];
            keys[static_cast<std::size_t>(lo + i)] = keyOf(now[static_cast<std::size_t>(i)].main());
            worded[static_cast<std::size_t>(lo + i)].reset();
        }
        if (n)
            emit dataChanged(index(lo, 0), index(hi - 1, planner::AllocColumnCount - 1));
        return;
    }
    if (hi > lo) {
        beginRemoveRows({}, lo, hi - 1);
        pairs.erase(pairs.begin() + lo, pairs.begin() + hi);
        keys.erase(keys.begin() + lo, keys.begin() + hi);
        worded.erase(worded.begin() + lo, worded.begin() + hi);
        endRemoveRows();
    }
    if (n) {
        beginInsertRows({}, lo, lo + n - 1);
        std::vector<Key> newKeys;
        for (const plan::AllocationRow& r : now)
            newKeys.push_back(keyOf(r.main()));
        pairs.insert(pairs.begin() + lo, now.begin(), now.end());
        keys.insert(keys.begin() + lo, newKeys.begin(), newKeys.end());
        std::vector<std::unique_ptr<planner::AllocationRow>> blank(static_cast<std::size_t>(n));
        worded.insert(worded.begin() + lo, std::make_move_iterator(blank.begin()),
                      std::make_move_iterator(blank.end()));
        endInsertRows();
    }
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
    case Qt::DisplayRole: return QString::fromStdString(r.cells[c]);
    case Qt::ToolTipRole: return plainToolTip(QString::fromStdString(r.cells[c]));
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
