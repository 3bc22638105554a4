#include "planner/planner_form.h"

#include "net/parse.h"
#include "plan/document.h"
#include "plan/segments.h"

#include <variant>

namespace mq::planner {

namespace {

using plan::BlockId;

std::string baseName(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

BlockId findBlock(const plan::Plan& p, const net::Prefix& prefix)
{
    BlockId id = p.root();
    while (true) {
        const plan::Block& b = p.block(id);
        if (b.prefix.length == prefix.length && b.prefix.network() == prefix.network())
            return id;
        if (b.children.empty() || !b.prefix.contains(prefix))
            return plan::kNoBlock;
        // Parts are equal and in address order: the part is found by its number.
        const net::Prefix& part = p.block(b.children.front()).prefix;
        if (part.length > prefix.length)
            return plan::kNoBlock;
        const int shift = part.address.bits() - part.length;
        const BlockId next = b.children[static_cast<std::size_t>(
            (prefix.network().value - b.prefix.network().value) >> shift)];
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
    case ColName: return b.name;
    case ColPrefix: return prefixText(b.prefix);
    case ColHosts: return net::toDecimal(plan::Plan::usableHosts(b.prefix));
    case ColSpare: return b.children.empty() && b.assigned ? net::toDecimal(p.spareHosts(id)) : std::string();
    case ColNote: return b.note;
    default: return {};
    }
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
    const std::string name = path.empty() ? std::string("Untitled") : baseName(path);
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
    allocLines.clear();
    allocIds.clear();
    changed();
}

bool PlannerForm::newPlan()
{
    if (!confirmDiscard())
        return false;
    auto text = sv.prompt("Root block of the new plan: any IPv4 or IPv6 prefix, for example 10.0.0.0/8 or "
                          "2001:db8::/32",
                          prefixText(doc.block(doc.root()).prefix));
    if (!text)
        return false;
    return newPlan(*text);
}

bool PlannerForm::newPlan(const std::string& rootText)
{
    auto parsed = net::parseInput(rootText);
    if (auto* e = std::get_if<net::ParseError>(&parsed)) {
        sv.message("The root block cannot be read.\n\n" + net::describe(rootText, *e), MsgIcon::Exclamation);
        return false;
    }
    const net::Input& in = std::get<net::Input>(parsed);
    if (in.kind == net::Input::Kind::Range) {
        sv.message("The root block must be one prefix, not a range: " + rootText, MsgIcon::Exclamation);
        return false;
    }
    replace(plan::Plan(in.prefix), "");
    return true;
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
    std::string bytes, error;
    if (!sv.readFile(fileName, bytes, error)) {
        sv.message("The plan could not be opened from " + fileName + "\n\n" + error, MsgIcon::Critical);
        return false;
    }
    auto read = plan::readDocument(bytes);
    if (auto* e = std::get_if<plan::DocumentError>(&read)) {
        sv.message(fileName + " is not a network plan that can be opened.\n\n" + e->path + ": " + e->reason,
                   MsgIcon::Critical);
        return false;
    }
    replace(std::move(std::get<plan::Plan>(read)), fileName);
    return true;
}

bool PlannerForm::writeTo(const std::string& fileName)
{
    std::string error;
    if (!sv.writeFile(fileName, plan::writeDocument(doc), error)) {
        sv.message("The plan could not be saved to " + fileName + "\n\n" + error, MsgIcon::Critical);
        return false;
    }
    path = fileName;
    history.markClean();
    changed();
    return true;
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
    const std::string reason = history.run(doc, std::move(cmd));
    if (!reason.empty()) {
        sv.message(reason, MsgIcon::Exclamation);
        return false;
    }
    changed();
    return true;
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
    auto text = sv.prompt("Split " + prefixText(doc.block(id).prefix) +
                              " into how many equal parts? (2, 4, 8 ... 65536)",
                          "4");
    if (!text)
        return false;
    const int parts = partsOf(*text);
    if (parts == 0) {
        sv.message("\"" + *text + "\" is not a number of parts: give a power of two from 2 to 65536.",
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

bool PlannerForm::undo()
{
    if (!history.canUndo())
        return false;
    history.undo(doc);
    changed();
    return true;
}

bool PlannerForm::redo()
{
    if (!history.canRedo())
        return false;
    history.redo(doc);
    changed();
    return true;
}

// ---------------------------------------------------------------- allocation

BlockId PlannerForm::allocationTarget(BlockId selected) const
{
    if (!doc.exists(selected))
        return doc.root();
    const plan::Block& b = doc.block(selected);
    return b.children.empty() && b.assigned ? doc.root() : selected;
}

bool PlannerForm::allocate(BlockId within, const std::string& segmentsText)
{
    allocLines.clear();
    allocIds.clear();
    within = allocationTarget(within);
    std::vector<plan::SegmentLineError> errors;
    std::vector<plan::Segment> segments = plan::parseSegments(segmentsText, errors);
    for (const auto& e : errors)
        allocLines.push_back("Line " + std::to_string(e.line) + ": " + e.reason);
    if (segments.empty()) {
        if (errors.empty())
            allocLines.push_back("No segments: give one a line as name, hosts, growth %");
        changed();
        return false;
    }
    const std::vector<plan::Placement> placed = plan::allocate(doc, within, segments);
    bool any = false;
    for (const plan::Placement& p : placed)
        any = any || p.prefix.has_value();
    if (any && !run(plan::makeAllocate(within, segments)))
        any = false;
    for (const plan::Placement& p : placed) {
        if (p.prefix) {
            allocLines.push_back(p.name + ": " + prefixText(*p.prefix) + ", hosts " + net::format(p.first) + " - " +
                                 net::format(p.last) + ", spare " + net::toDecimal(p.spare));
            if (any) {
                const BlockId b = findBlock(doc, *p.prefix);
                if (b != plan::kNoBlock)
                    allocIds.push_back(b);
            }
        } else {
            allocLines.push_back(p.name + ": does not fit: " + p.reason +
                                 (p.largestFree ? " (largest free block " + prefixText(*p.largestFree) + ")"
                                                : std::string()));
        }
    }
    changed();
    return any;
}

// ---------------------------------------------------------------- report

std::vector<std::string> PlannerForm::reportLines() const
{
    std::vector<std::string> lines;
    std::size_t assigned = 0, free = 0;
    for (BlockId id : doc.leaves())
        ++(doc.block(id).assigned ? assigned : free);
    lines.push_back("Network plan " + (path.empty() ? std::string("Untitled") : baseName(path)));
    lines.push_back("");
    lines.push_back("Root block: " + prefixText(doc.block(doc.root()).prefix));
    lines.push_back("Blocks: " + std::to_string(doc.blockCount()) + " (" + std::to_string(assigned) +
                    " assigned, " + std::to_string(free) + " free)");
    lines.push_back("");
    lines.push_back("Prefix\tName\tHosts\tSpare\tNote");
    // Depth first, parts in address order, each level indented two blanks.
    std::vector<std::pair<BlockId, int>> stack{{doc.root(), 0}};
    while (!stack.empty()) {
        auto [id, depth] = stack.back();
        stack.pop_back();
        const plan::Block& b = doc.block(id);
        std::string line(static_cast<std::size_t>(depth) * 2, ' ');
        line += cellText(doc, id, ColPrefix) + "\t" + b.name + "\t" + cellText(doc, id, ColHosts) + "\t" +
                cellText(doc, id, ColSpare) + "\t" + b.note;
        lines.push_back(std::move(line));
        for (auto it = b.children.rbegin(); it != b.children.rend(); ++it)
            stack.emplace_back(*it, depth + 1);
    }
    return lines;
}

}  // namespace mq::planner
