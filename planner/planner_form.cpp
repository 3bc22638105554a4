#include "planner/planner_form.h"

#include "net/facts.h"
#include "net/parse.h"
#include "plan/allocations.h"
#include "plan/csv.h"
#include "plan/document.h"
#include "plan/segments.h"
#include "planner/allocation_table.h"
#include "planner/text_table.h"
#include "textio/escape.h"

#include <new>
#include <optional>
#include <variant>

namespace mq::planner {

namespace {

using plan::BlockId;

// A reason that quotes input keeps a sentence around it: room for both.
constexpr std::size_t kQuotedReason = 240;

std::string quotedPath(const std::string& path)
{
    return textio::escaped(path, 400);
}

std::string baseName(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

BlockId findBlock(const plan::Plan& p, const net::Prefix& prefix)
{
    // From the root that holds it: a dual-stack plan's IPv6 blocks lie under its second.
    BlockId id = plan::kNoBlock;
    for (BlockId r : p.roots())
        if (p.block(r).prefix.address.family == prefix.address.family && p.block(r).prefix.contains(prefix))
            id = r;
    if (id == plan::kNoBlock)
        return plan::kNoBlock;
    while (true) {
        const plan::Block& b = p.block(id);
        if (b.prefix.masked() == prefix.masked())
            return id;
        if (b.children.empty() || !b.prefix.contains(prefix))
            return plan::kNoBlock;
        // Parts are equal and in address order: the part is found by its number.
        const net::Prefix& part = p.block(b.children.front()).prefix;
        if (part.length > prefix.length)
            return plan::kNoBlock;
        const int shift = part.address.bits() - part.length;
        const BlockId next =
            b.children[static_cast<std::size_t>((prefix.network().value - b.prefix.network().value) >> shift)];
        id = next;
    }
}

std::string blockTitle(const plan::Block& block)
{
    return block.name.empty() ? prefixText(block.prefix) : block.name + " " + prefixText(block.prefix);
}

const char* columnTitle(int column)
{
    static const char* const titles[] = {"Name", "Prefix", "Hosts", "Spare", "Note"};
    return column >= 0 && column < ColumnCount ? titles[column] : "";
}

std::string prefixText(const net::Prefix& p)
{
    return net::formatNetwork(p);
}

std::string cellText(const plan::Plan& p, BlockId id, int column)
{
    const plan::Block& b = p.block(id);
    switch (column) {
    // A block kept back says so: unnamed, it would look like any other allocation.
    case ColName:
        if (b.reserved)
            return b.name.empty() ? std::string("(reserved)") : b.name + " (reserved)";
        return b.name;
    case ColPrefix: return prefixText(b.prefix);
    // IPv6 space is counted as people count it, in /64s and /48s, and in the unit its
    // parts are counted in, so that a block and its parts read alike.
    case ColHosts:
        return b.prefix.address.family == net::Family::V6
                   ? plan::spaceText(b.prefix,
                                     b.children.empty() ? b.prefix.length : p.block(b.children.front()).prefix.length)
                   : net::toDecimal(plan::cloudUsableHosts(p.settings().cloud, b.prefix));
    case ColSpare:
        // An IPv6 LAN is a /64 whatever its hosts: its spare is not worth a number.
        if (!b.children.empty() || !b.assigned || b.prefix.address.family == net::Family::V6)
            return {};
        return net::toDecimal(p.spareHosts(id));
    case ColNote: return b.note;
    default: return {};
    }
}

std::string countText(std::size_t n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string summaryText(const plan::Plan& p, std::size_t leaves, BlockId selected)
{
    return countText(p.blockCount(), "block", "blocks") + ", " + countText(leaves, "leaf", "leaves") + "; selected " +
           (p.exists(selected) ? blockTitle(p.block(selected)) : std::string("nothing"));
}

int partsOf(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return 0;
    const auto last = text.find_last_not_of(' ');
    auto n = net::parseDecimal(std::string_view(text).substr(first, last - first + 1));
    for (int k = 1; n && k <= kMaxSplitExponent; ++k)
        if (*n == (net::u128(1) << k))
            return 1 << k;
    return 0;
}

plan::Plan defaultPlan()
{
    return plan::Plan(net::Prefix{net::Address::v4(0x0A000000u), 8});
}

PlannerForm::PlannerForm(PlannerServices& services) : sv(services), doc(defaultPlan())
{
    history.markClean();
}

std::string PlannerForm::title() const
{
    return std::string(kPlannerTitle) + " - " + (path.empty() ? "Untitled" : baseName(path)) +
           (isModified() ? "*" : "");
}

std::string PlannerForm::undoText() const
{
    return history.canUndo() ? history.undoText() : std::string();
}

std::string PlannerForm::redoText() const
{
    return history.canRedo() ? history.redoText() : std::string();
}

// ---------------------------------------------------------------- documents

bool PlannerForm::confirmDiscard()
{
    if (!isModified())
        return true;
    const std::string name = path.empty() ? std::string("Untitled") : textio::escaped(baseName(path));
    switch (sv.ask("The plan \"" + name + "\" has changes that are not saved.\n\nSave them?")) {
    case Answer::Yes: return save();
    case Answer::No: return true;
    case Answer::Cancel: return false;
    }
    return false;
}

bool PlannerForm::queryClose()
{
    return confirmDiscard();
}

void PlannerForm::replace(plan::Plan next, const std::string& fileName)
{
    doc = std::move(next);
    history.clear();
    history.markClean();
    path = fileName;
    applied = 0;
    linesAt.clear();
    allocLines.clear();
    allocIds.clear();
    changed();
}

bool PlannerForm::newPlan()
{
    if (!confirmDiscard())
        return false;
    auto text = sv.prompt("Root blocks of the new plan: one IPv4 or IPv6 prefix, or several separated by commas "
                          "(for example 10.0.0.0/8, or 10.0.0.0/8, 2001:db8::/32 for a dual-stack plan)",
                          prefixText(doc.block(doc.root()).prefix));
    if (!text)
        return false;
    return newPlan(*text);
}

bool PlannerForm::newPlan(const std::string& rootText)
{
    auto next = planOfRoots(rootText);
    if (!next)
        return false;
    replace(std::move(*next), "");
    return true;
}

std::optional<plan::Plan> PlannerForm::planOfRoots(const std::string& rootText)
{
    // One root, or several separated by commas (a dual-stack plan).
    std::vector<net::Prefix> roots;
    std::size_t from = 0;
    while (from <= rootText.size()) {
        std::size_t comma = rootText.find(',', from);
        if (comma == std::string::npos)
            comma = rootText.size();
        std::string one = rootText.substr(from, comma - from);
        one.erase(0, one.find_first_not_of(' '));
        one.erase(one.find_last_not_of(' ') + 1);
        from = comma + 1;
        if (one.empty() && comma == rootText.size() && !roots.empty())
            break;
        const auto parsed = net::parsePrefix(one, net::HostBits::Keep, {.address = true, .zone = true});
        if (const auto* e = std::get_if<net::ParseError>(&parsed)) {
            if (e->fault == net::ParseError::Fault::Range)
                sv.message("The root block must be one prefix, not a range: " + textio::escaped(one),
                           MsgIcon::Exclamation);
            else
                sv.message("The root block cannot be read.\n\n" +
                               textio::escaped(net::describe(one, *e), kQuotedReason),
                           MsgIcon::Exclamation);
            return std::nullopt;
        }
        roots.push_back(std::get<net::Prefix>(parsed));
    }
    plan::Plan next(roots.front());
    for (std::size_t i = 1; i < roots.size(); ++i)
        if (const std::string why = next.addRoot(roots[i]); !why.empty()) {
            sv.message("The root block " + prefixText(roots[i]) + " cannot be added: " + why, MsgIcon::Exclamation);
            return std::nullopt;
        }
    return next;
}

bool PlannerForm::open()
{
    if (!confirmDiscard())
        return false;
    auto file = sv.openFileDialog(kPlanFilter);
    if (!file || file->empty())
        return false;
    return openFile(*file);
}

bool PlannerForm::openFile(const std::string& fileName)
{
    // A plan whose blocks do not fit in memory is named as such, and the plan
    // open stays as it was.
    std::string error;
    std::optional<std::variant<plan::Plan, plan::DocumentError>> read;
    try {
        if (std::string bytes; sv.readFile(fileName, bytes, error))
            read = plan::readDocument(bytes);
    } catch (const std::bad_alloc&) {
        read.reset();
        error = kNoMemoryToRead;
    }
    if (!read) {
        sv.message("The plan could not be opened from " + quotedPath(fileName) + "\n\n" + error, MsgIcon::Critical);
        return false;
    }
    if (auto* e = std::get_if<plan::DocumentError>(&*read)) {
        // A key or a prefix of a bad document may be megabytes long: the
        // message quotes it shortened.
        sv.message(quotedPath(fileName) + " is not a network plan that can be opened.\n\n" + textio::escaped(e->path) +
                       ": " + textio::escaped(e->reason, kQuotedReason),
                   MsgIcon::Critical);
        return false;
    }
    replace(std::move(std::get<plan::Plan>(*read)), fileName);
    remember(fileName);
    return true;
}

void PlannerForm::remember(const std::string& fileName)
{
    std::vector<std::string> list = sv.recentPlans();
    std::erase(list, fileName);
    list.insert(list.begin(), fileName);
    if (list.size() > kRecentPlans)
        list.resize(kRecentPlans);
    sv.setRecentPlans(list);
}

bool PlannerForm::openRecent(std::size_t index)
{
    const std::vector<std::string> list = sv.recentPlans();
    if (index >= list.size() || !confirmDiscard())
        return false;
    return openFile(list[index]);
}

bool PlannerForm::writeTo(const std::string& fileName)
{
    std::string error;
    if (!sv.writeFile(fileName, plan::writeDocument(doc), error)) {
        sv.message("The plan could not be saved to " + quotedPath(fileName) + "\n\n" + error, MsgIcon::Critical);
        return false;
    }
    path = fileName;
    history.markClean();
    remember(fileName);
    changed();
    return true;
}

bool PlannerForm::exportFile()
{
    const std::string base =
        path.empty() ? std::string("Untitled") : baseName(path).substr(0, baseName(path).rfind('.'));
    auto choice = sv.exportFileDialog(kExportFilter, base + ".csv");
    if (!choice || choice->path.empty())
        return false;
    const int type = choice->type < 0 ? 0 : choice->type;
    std::string name = choice->path;
    if (baseName(name).find('.') == std::string::npos)
        name += type == ExportReport ? ".txt" : type == ExportVscJson ? ".json" : ".csv";
    return exportTo(name, type);
}

bool PlannerForm::exportTo(const std::string& fileName, int type)
{
    switch (type) {
    case ExportNetbox: return exportInterchange(fileName, interchange::Format::Netbox);
    case ExportPhpipam: return exportInterchange(fileName, interchange::Format::Phpipam);
    case ExportVscJson: return exportInterchange(fileName, interchange::Format::VscJson);
    default: break;
    }
    std::string bytes;
    switch (type) {
    case 1: bytes = plan::leavesCsv(doc); break;
    case 2:
        for (const std::string& line : reportLines())
            bytes += line + "\r\n";
        break;
    default: bytes = plan::allocationsCsv(doc, "\r\n"); break;
    }
    std::string error;
    if (!sv.writeFile(fileName, bytes, error)) {
        sv.message("The export could not be written to " + quotedPath(fileName) + "\n\n" + error, MsgIcon::Critical);
        return false;
    }
    sv.message("Exported to " + quotedPath(fileName) + ".", MsgIcon::Information);
    return true;
}

void PlannerForm::copyAllocations()
{
    sv.setClipboard(allocationsTsv(planner::allocationRows(doc)));
}

std::string PlannerForm::segmentsText() const
{
    return plan::segmentsText(doc.segments());
}

bool PlannerForm::save()
{
    return path.empty() ? saveAs() : writeTo(path);
}

bool PlannerForm::saveAs()
{
    auto file = sv.saveFileDialog(kPlanFilter, path.empty() ? std::string("Untitled.mqplan") : path);
    if (!file || file->empty())
        return false;
    std::string name = *file;
    // Plans are found again by their extension.
    if (baseName(name).find('.') == std::string::npos)
        name += ".mqplan";
    return writeTo(name);
}

// ---------------------------------------------------------------- editing

bool PlannerForm::run(std::unique_ptr<plan::Command> cmd)
{
    std::string what;
    const std::string reason = history.run(doc, std::move(cmd), &what);
    if (!reason.empty()) {
        // What was asked, then why not: a reason alone does not say what it is about.
        std::string why = textio::escaped(reason, kQuotedReason);
        if (why[0] >= 'a' && why[0] <= 'z')
            why[0] = static_cast<char>(why[0] - 'a' + 'A');
        if (why.back() != '.')
            why += '.';
        sv.message(what.empty() ? why : textio::escaped(what, kQuotedReason) + " was not done.\n\n" + why,
                   MsgIcon::Exclamation);
        return false;
    }
    ++applied;
    // What could have been redone is gone, and its lines with it.
    std::erase_if(linesAt, [this](const auto& e) { return e.first >= applied; });
    changed();
    return true;
}

void PlannerForm::showLinesOf(std::size_t at)
{
    allocLines.clear();
    allocIds.clear();
    for (const auto& [position, lines] : linesAt)
        if (position == at)
            allocLines = lines;
}

bool PlannerForm::split(BlockId id, int parts)
{
    if (!doc.exists(id))
        return false;
    return run(plan::makeSplit(id, parts));
}

bool PlannerForm::splitPrompt(BlockId id)
{
    if (!doc.exists(id))
        return false;
    auto text =
        sv.prompt("Split " + prefixText(doc.block(id).prefix) + " into how many equal parts? (2, 4, 8 ... 65536)", "4");
    if (!text)
        return false;
    const int parts = partsOf(*text);
    if (parts == 0) {
        sv.message("\"" + textio::escaped(*text) + "\" is not a number of parts: give a power of two from 2 to 65536.",
                   MsgIcon::Exclamation);
        return false;
    }
    return split(id, parts);
}

bool PlannerForm::join(BlockId id)
{
    if (!doc.exists(id))
        return false;
    const plan::Block& b = doc.block(id);
    if (b.children.empty()) {
        if (b.parent == plan::kNoBlock) {
            sv.message("The root block has no parts to join.", MsgIcon::Exclamation);
            return false;
        }
        id = b.parent;
    }
    return run(plan::makeJoin(id));
}

bool PlannerForm::rename(BlockId id, const std::string& name)
{
    if (!doc.exists(id) || doc.block(id).name == name)
        return false;
    return run(plan::makeRename(id, name));
}

bool PlannerForm::setNote(BlockId id, const std::string& note)
{
    if (!doc.exists(id) || doc.block(id).note == note)
        return false;
    return run(plan::makeSetNote(id, note));
}

bool PlannerForm::chooseColour(BlockId id)
{
    if (!doc.exists(id))
        return false;
    auto rgb = sv.chooseColour(doc.block(id).colour);
    if (!rgb || *rgb == doc.block(id).colour)
        return false;
    return run(plan::makeSetColour(id, *rgb));
}

bool PlannerForm::freeBlock(BlockId id)
{
    if (!doc.exists(id))
        return false;
    return run(plan::makeFree(id));
}

bool PlannerForm::assignPrompt(BlockId id)
{
    if (!doc.exists(id))
        return false;
    auto answer = sv.prompt("Assign " + prefixText(doc.block(id).prefix) +
                                ": name, hosts asked, VLAN, note (for example: servers, 50, vlan 10, rack 4; "
                                "the VLAN may be left out)",
                            doc.block(id).name);
    if (!answer)
        return false;
    return assign(id, *answer);
}

bool PlannerForm::assign(BlockId id, const std::string& answer)
{
    if (!doc.exists(id))
        return false;
    auto field = [](std::string t) {
        t.erase(0, t.find_first_not_of(" \t"));
        t.erase(t.find_last_not_of(" \t") + 1);
        return t;
    };
    const std::size_t c1 = answer.find(',');
    const std::size_t c2 = c1 == std::string::npos ? std::string::npos : answer.find(',', c1 + 1);
    plan::Assignment a;
    a.name = field(answer.substr(0, c1));
    if (c1 != std::string::npos) {
        const std::string hosts =
            field(answer.substr(c1 + 1, c2 == std::string::npos ? std::string::npos : c2 - c1 - 1));
        if (!hosts.empty()) {
            const auto n = net::parseDecimal(hosts);
            if (!n) {
                sv.message("\"" + textio::escaped(hosts) +
                               "\" is not a number of hosts: write it as digits, such as 50.",
                           MsgIcon::Exclamation);
                return false;
            }
            a.hosts = *n;
        }
    }
    if (c2 != std::string::npos) {
        std::string rest = field(answer.substr(c2 + 1));
        if (auto vlan = vlanField(rest); !vlan)
            return false;
        else if (*vlan > 0) {
            a.vlan = *vlan;
            const std::size_t c3 = rest.find(',');
            rest = c3 == std::string::npos ? std::string() : field(rest.substr(c3 + 1));
        }
        a.note = rest;
    } else if (doc.exists(id))
        a.note = doc.block(id).note;
    return run(plan::makeAssign(id, std::move(a)));
}

std::optional<int> PlannerForm::vlanField(const std::string& rest)
{
    // "vlan 10" (any case) before the note; 0 when the field is the note.
    std::string head = rest.substr(0, 5);
    for (char& c : head)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (head.size() < 5 || head.compare(0, 4, "vlan") != 0 || !(head[4] == ' ' || (head[4] >= '0' && head[4] <= '9')))
        return 0;
    const std::size_t end = rest.find(',');
    std::string digits = rest.substr(4, end == std::string::npos ? std::string::npos : end - 4);
    digits.erase(0, digits.find_first_not_of(" \t"));
    digits.erase(digits.find_last_not_of(" \t") + 1);
    const auto n = net::parseDecimal(digits);
    if (!n || *n < 1 || *n > static_cast<net::u128>(plan::kMaxVlan)) {
        sv.message("\"" + textio::escaped(rest.substr(0, end)) + "\" is not a VLAN: write vlan and an ID from 1 to " +
                       std::to_string(plan::kMaxVlan) + ", such as vlan 10.",
                   MsgIcon::Exclamation);
        return std::nullopt;
    }
    return static_cast<int>(*n);
}

bool PlannerForm::tidy(BlockId id)
{
    if (!doc.exists(id))
        return false;
    return run(plan::makeTidy({id}));
}

bool PlannerForm::setSettings(const plan::Settings& settings)
{
    if (settings == doc.settings())
        return false;
    return run(plan::makeSetSettings(settings));
}

bool PlannerForm::undo()
{
    if (!history.canUndo())
        return false;
    history.undo(doc);
    showLinesOf(--applied);
    changed();
    return true;
}

bool PlannerForm::redo()
{
    if (!history.canRedo())
        return false;
    history.redo(doc);
    showLinesOf(++applied);
    changed();
    return true;
}

// ---------------------------------------------------------------- allocation

BlockId PlannerForm::allocationTarget(BlockId selected) const
{
    if (!doc.exists(selected))
        return doc.root();
    const plan::Block& b = doc.block(selected);
    if (!(b.children.empty() && b.assigned))
        return selected;
    BlockId up = selected;
    while (doc.block(up).parent != plan::kNoBlock)
        up = doc.block(up).parent;
    return up;
}

std::vector<BlockId> PlannerForm::allocationTargets(BlockId selected) const
{
    const BlockId first = allocationTarget(selected);
    std::vector<BlockId> targets{first};
    if (doc.isDualStack()) {
        const net::Family other =
            doc.block(first).prefix.address.family == net::Family::V4 ? net::Family::V6 : net::Family::V4;
        if (const BlockId root = doc.rootOf(other); root != plan::kNoBlock)
            targets.push_back(root);
    }
    return targets;
}

std::unique_ptr<AllocationRun> PlannerForm::startAllocation(BlockId selected, std::string segmentsText) const
{
    return std::make_unique<AllocationRun>(doc, allocationTargets(selected), std::move(segmentsText), rev);
}

bool PlannerForm::finishAllocation(AllocationRun& r)
{
    if (!r.finished() || r.cancelled() || r.revision() != rev)
        return false;
    allocLines = r.takeLines();
    allocIds.clear();
    bool any = false;
    if (r.placedAny()) {
        any = run(r.takeCommand());
        if (any) {
            allocIds = r.blocks();
            linesAt.emplace_back(applied, allocLines);
        }
    }
    changed();
    return any;
}

bool PlannerForm::allocate(BlockId within, const std::string& segmentsText)
{
    auto r = startAllocation(within, segmentsText);
    r->run();
    return finishAllocation(*r);
}

// ---------------------------------------------------------------- report

std::vector<std::string> PlannerForm::reportLines(std::size_t width) const
{
    std::vector<std::string> lines;
    std::size_t assigned = 0, reserved = 0, free = 0;
    for (BlockId id : doc.leaves())
        ++(doc.block(id).reserved ? reserved : doc.block(id).assigned ? assigned : free);
    lines.push_back("Network plan " + (path.empty() ? std::string("Untitled") : baseName(path)));
    lines.push_back("");
    std::string roots;
    for (BlockId r : doc.roots())
        roots += (roots.empty() ? "" : ", ") + prefixText(doc.block(r).prefix);
    lines.push_back((doc.roots().size() > 1 ? "Root blocks: " : "Root block: ") + roots);
    lines.push_back("Blocks: " + std::to_string(doc.blockCount()) + " (" + std::to_string(assigned) + " assigned, " +
                    (reserved ? std::to_string(reserved) + " reserved, " : std::string()) + std::to_string(free) +
                    " free)");

    lines.push_back("");
    lines.push_back("Allocations");
    const std::vector<AllocationRow> rows = planner::allocationRows(doc);
    if (rows.empty()) {
        lines.push_back("(no block is assigned)");
    } else {
        // The columns a page has room for; the window and the CSV have them all.
        static const int shown[] = {AName, AStatus, AVlan, AIpv4, AIpv6, AHosts, ANeeded, AUsable, ASpare, ANote};
        std::vector<TextColumn> columns;
        for (int c : shown)
            columns.push_back({allocationColumnTitle(c), allocationColumnIsNumber(c), c == AName || c == ANote});
        std::vector<std::vector<std::string>> cells;
        cells.reserve(rows.size());
        for (const AllocationRow& r : rows) {
            std::vector<std::string> row;
            for (int c : shown)
                row.push_back(r.cells[static_cast<std::size_t>(c)]);
            cells.push_back(std::move(row));
        }
        // Columns that every row leaves empty (VLAN, IPv6 in an IPv4 plan) go.
        for (std::size_t c = columns.size(); c-- > 0;) {
            bool empty = true;
            for (const auto& row : cells)
                empty = empty && row[c].empty();
            if (empty) {
                columns.erase(columns.begin() + static_cast<std::ptrdiff_t>(c));
                for (auto& row : cells)
                    row.erase(row.begin() + static_cast<std::ptrdiff_t>(c));
            }
        }
        for (std::string& l : textTable(columns, cells, width))
            lines.push_back(std::move(l));
    }

    lines.push_back("");
    lines.push_back("Blocks");
    // Depth first, parts in address order; the depth indents the prefix
    // inside its column only.
    std::vector<std::vector<std::string>> cells;
    std::vector<std::pair<BlockId, int>> stack;
    for (auto r = doc.roots().rbegin(); r != doc.roots().rend(); ++r)
        stack.emplace_back(*r, 0);
    while (!stack.empty()) {
        auto [id, depth] = stack.back();
        stack.pop_back();
        const plan::Block& b = doc.block(id);
        const std::string state =
            !b.children.empty() ? std::to_string(b.children.size()) + " parts" : std::string(plan::blockStatus(b));
        cells.push_back({std::string(static_cast<std::size_t>(depth) * 2, ' ') + prefixText(b.prefix), b.name, state,
                         cellText(doc, id, ColHosts), cellText(doc, id, ColSpare), b.note});
        for (auto it = b.children.rbegin(); it != b.children.rend(); ++it)
            stack.emplace_back(*it, depth + 1);
    }
    const std::vector<TextColumn> columns = {{"Prefix", false, false}, {"Name", false, true},  {"State", false, false},
                                             {"Usable", true, false},  {"Spare", true, false}, {"Note", false, true}};
    for (std::string& l : textTable(columns, cells, width))
        lines.push_back(std::move(l));
    return lines;
}

}  // namespace mq::planner
