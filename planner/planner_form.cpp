#include "planner/planner_form.h"

#include "net/facts.h"
#include "net/mac.h"
#include "net/parse.h"
#include "plan/document.h"
#include "plan/file_lock.h"
#include "plan/roots.h"
#include "plan/segments.h"
#include "planner/file_texts.h"
#include "textio/escape.h"
#include "textio/fields.h"

#include <algorithm>
#include <cctype>
#include <new>
#include <optional>
#include <variant>

namespace mq::planner {

using plan::BlockId;

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
        if (b.state == plan::BlockState::Reserved)
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
        if (!b.children.empty() || b.state == plan::BlockState::Free || b.prefix.address.family == net::Family::V6)
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

std::size_t leafCount(const plan::Plan& p)
{
    std::size_t n = 0;
    std::vector<BlockId> stack(p.roots().begin(), p.roots().end());
    while (!stack.empty()) {
        const plan::Block& b = p.block(stack.back());
        stack.pop_back();
        if (b.children.empty())
            ++n;
        stack.insert(stack.end(), b.children.begin(), b.children.end());
    }
    return n;
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
    pathStamp.reset();
    applied = 0;
    linesAt.clear();
    allocLines.clear();
    allocRefused.clear();
    allocIds.clear();
    changed();
}

bool PlannerForm::newPlan()
{
    return askNewPlan(prefixText(doc.block(doc.root()).prefix));
}

bool PlannerForm::newUlaPlan()
{
    return askNewPlan(prefixText(net::ulaPrefix(net::randomUlaGlobalId())));
}

bool PlannerForm::askNewPlan(const std::string& suggested)
{
    if (!confirmDiscard())
        return false;
    auto text = sv.prompt("Root blocks of the new plan: one IPv4 or IPv6 prefix, or several separated by commas "
                          "(for example 10.0.0.0/8, or 10.0.0.0/8, 2001:db8::/32 for a dual-stack plan)",
                          suggested);
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
    const std::vector<std::string_view> items = plan::rootItems(rootText);
    for (std::size_t i = 0; i < items.size(); ++i) {
        std::string one(items[i]);
        one.erase(0, one.find_first_not_of(' '));
        one.erase(one.find_last_not_of(' ') + 1);
        if (one.empty() && i + 1 == items.size() && !roots.empty())  // a comma at the end asks no more
            break;
        const auto parsed = net::parsePrefix(one, net::HostBits::Keep, {.address = true, .zone = true});
        if (const auto* e = std::get_if<net::ParseError>(&parsed)) {
            if (e->fault == net::ParseError::Fault::Range)
                sv.message("The root block must be one prefix, not a range: " + textio::escaped(one),
                           MsgIcon::Exclamation);
            else
                sv.message("The root block cannot be read.\n\n" +
                               textio::escaped(net::describe(one, *e), textio::kQuotedReason),
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
    std::optional<std::variant<plan::Plan, textio::Problem>> read;
    // Before the read: a change between the two is taken for a change after it.
    const std::optional<plan::FileStamp> stamp = plan::stampOf(fileName);
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
    if (auto* e = std::get_if<textio::Problem>(&*read)) {
        // A key or a prefix of a bad document may be megabytes long: the
        // message quotes it shortened.
        sv.message(quotedPath(fileName) + " is not a network plan that can be opened.\n\n" + textio::escaped(e->path) +
                       ": " + textio::escaped(e->message, textio::kQuotedReason),
                   MsgIcon::Critical);
        return false;
    }
    replace(std::move(std::get<plan::Plan>(*read)), fileName);
    pathStamp = stamp;
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
    const std::string document = plan::writeDocument(doc);
    error = plan::documentSizeFault(document.size());
    if (!error.empty()) {
        // A file no reader opens would take the place of one that opens.
        error[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(error[0])));
        error += "; the file was left as it was.";
    }
    plan::FileLock lock;  // a command of mqnet editing the file meanwhile finishes first
    if (error.empty())
        (void)lock.lock(fileName);  // advisory: a file that cannot be locked is still saved
    if (error.empty() && fileName == path && pathStamp && plan::stampOf(fileName) != pathStamp &&
        sv.ask(quotedPath(fileName) + " was changed or removed by another program after the planner read it. Saving "
                                      "replaces what was done there with this plan.\n\nSave it anyway?") != Answer::Yes)
        return false;
    if (!error.empty() || !sv.writeFile(fileName, document, error)) {
        sv.message("The plan could not be saved to " + quotedPath(fileName) + "\n\n" + error, MsgIcon::Critical);
        return false;
    }
    pathStamp = plan::stampOf(fileName);  // still under the lock: the file as written
    path = fileName;
    history.markClean();
    remember(fileName);
    changed();
    return true;
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

std::string PlannerForm::apply(std::unique_ptr<plan::Command> cmd, std::string* what)
{
    std::string reason = history.run(doc, std::move(cmd), what);
    if (!reason.empty())
        return reason;
    ++applied;
    // What could have been redone is gone, and its lines with it.
    std::erase_if(linesAt, [this](const ShownLines& e) { return e.at >= applied; });
    changed();
    return reason;
}

bool PlannerForm::run(std::unique_ptr<plan::Command> cmd)
{
    std::string what;
    const std::string reason = apply(std::move(cmd), &what);
    if (!reason.empty()) {
        // What was asked, then why not: a reason alone does not say what it is about.
        std::string why = textio::escaped(reason, textio::kQuotedReason);
        if (why[0] >= 'a' && why[0] <= 'z')
            why[0] = static_cast<char>(why[0] - 'a' + 'A');
        if (why.back() != '.')
            why += '.';
        sv.message(what.empty() ? why : textio::escaped(what, textio::kQuotedReason) + " was not done.\n\n" + why,
                   MsgIcon::Exclamation);
        return false;
    }
    return true;
}

void PlannerForm::showLinesOf(std::size_t at)
{
    allocLines.clear();
    allocRefused.clear();
    allocIds.clear();
    for (const ShownLines& e : linesAt)
        if (e.at == at) {
            allocLines = e.lines;
            allocRefused = e.refused;
        }
}

bool PlannerForm::allocationLineRefuses(std::size_t i) const
{
    return std::binary_search(allocRefused.begin(), allocRefused.end(), i);
}

bool PlannerForm::canSplit(BlockId id) const
{
    return doc.exists(id) && doc.block(id).children.empty() && doc.block(id).state == plan::BlockState::Free;
}

bool PlannerForm::canAssign(BlockId id) const
{
    return canSplit(id);
}

bool PlannerForm::canFree(BlockId id) const
{
    return doc.exists(id) && doc.block(id).children.empty() && doc.block(id).state != plan::BlockState::Free;
}

bool PlannerForm::canJoin(BlockId id) const
{
    return doc.exists(id) && (!doc.block(id).children.empty() || doc.block(id).parent != plan::kNoBlock);
}

bool PlannerForm::canReserve(BlockId id) const
{
    return doc.exists(id) && doc.block(id).children.empty();
}

bool PlannerForm::isReserved(BlockId id) const
{
    return doc.exists(id) && doc.block(id).state == plan::BlockState::Reserved;
}

BlockId PlannerForm::joinedBlock(BlockId id) const
{
    if (!doc.exists(id))
        return id;
    const plan::Block& b = doc.block(id);
    return b.children.empty() && b.parent != plan::kNoBlock ? b.parent : id;
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
    if (!canJoin(id)) {
        sv.message("The root block has no parts to join.", MsgIcon::Exclamation);
        return false;
    }
    return run(plan::makeJoin(joinedBlock(id)));
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
    auto field = [](std::string_view t) { return std::string(textio::trimBlanks(t)); };
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
    const std::string head = textio::lowerCase(std::string_view(rest).substr(0, 5));
    if (head.size() < 5 || head.compare(0, 4, "vlan") != 0 || !(head[4] == ' ' || (head[4] >= '0' && head[4] <= '9')))
        return 0;
    const std::size_t end = rest.find(',');
    const std::string_view digits =
        std::string_view(rest).substr(4, end == std::string::npos ? std::string::npos : end - 4);
    const auto n = net::parseDecimal(textio::trimBlanks(digits));
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

}  // namespace mq::planner
