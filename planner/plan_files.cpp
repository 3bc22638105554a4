#include "planner/plan_files.h"

#include "net/facts.h"
#include "net/parse.h"
#include "plan/document.h"
#include "plan/fields.h"
#include "plan/segments.h"
#include "planner/block_texts.h"
#include "planner/file_texts.h"
#include "textio/escape.h"

#include <algorithm>
#include <cctype>
#include <new>
#include <variant>

namespace mq::planner {

PlanFiles::PlanFiles(PlanSession& session) : session(session), sv(session.services()), doc(session.plan()) { }

std::string PlanFiles::title() const
{
    return std::string(kPlannerTitle) + " - " + (path.empty() ? "Untitled" : baseName(path)) +
           (session.isModified() ? "*" : "");
}

bool PlanFiles::confirmDiscard()
{
    if (!session.isModified())
        return true;
    const std::string name = path.empty() ? std::string("Untitled") : textio::escaped(baseName(path));
    switch (sv.ask("The plan \"" + name + "\" has changes that are not saved.\n\nSave them?")) {
    case Answer::Yes: return save();
    case Answer::No: return true;
    case Answer::Cancel: return false;
    }
    return false;
}

bool PlanFiles::queryClose()
{
    return confirmDiscard();
}

void PlanFiles::replace(plan::Plan next, const std::string& fileName)
{
    path = fileName;
    pathStamp.reset();
    session.replace(std::move(next));
}

bool PlanFiles::newPlan()
{
    return askNewPlan(prefixText(doc.block(doc.root()).prefix));
}

bool PlanFiles::newUlaPlan()
{
    return askNewPlan(prefixText(net::ulaPrefix(net::randomUlaGlobalId())));
}

bool PlanFiles::askNewPlan(const std::string& suggested)
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

bool PlanFiles::newPlan(const std::string& rootText)
{
    auto next = planOfRoots(rootText);
    if (!next)
        return false;
    replace(std::move(*next), "");
    return true;
}

std::optional<plan::Plan> PlanFiles::planOfRoots(const std::string& rootText)
{
    // One root, or several separated by commas (a dual-stack plan), read as every command
    // reads them. The problem quotes what was typed escaped and shortened.
    const textio::Result<std::vector<net::Prefix>> read = plan::parseRoots(rootText);
    if (const textio::Problem* p = read.refused()) {
        sv.message("The root block cannot be read.\n\n" + textio::describe(*p), MsgIcon::Exclamation);
        return std::nullopt;
    }
    const std::vector<net::Prefix>& roots = *read;
    plan::Plan next(roots.front());
    for (std::size_t i = 1; i < roots.size(); ++i)
        if (const std::string why = next.addRoot(roots[i]); !why.empty()) {
            sv.message("The root block " + prefixText(roots[i]) + " cannot be added: " + why, MsgIcon::Exclamation);
            return std::nullopt;
        }
    return next;
}

bool PlanFiles::open()
{
    if (!confirmDiscard())
        return false;
    auto file = sv.openFileDialog(kPlanFilter);
    if (!file || file->empty())
        return false;
    return openFile(*file);
}

bool PlanFiles::openFile(const std::string& fileName)
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

void PlanFiles::remember(const std::string& fileName)
{
    std::vector<std::string> list = sv.recentPlans();
    std::erase(list, fileName);
    list.insert(list.begin(), fileName);
    if (list.size() > kRecentPlans)
        list.resize(kRecentPlans);
    sv.setRecentPlans(list);
}

bool PlanFiles::openRecent(std::size_t index)
{
    const std::vector<std::string> list = sv.recentPlans();
    if (index >= list.size() || !confirmDiscard())
        return false;
    return openFile(list[index]);
}

bool PlanFiles::writeTo(const std::string& fileName)
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
    session.markSaved();
    remember(fileName);
    return true;
}

std::string PlanFiles::segmentsText() const
{
    return plan::segmentsText(doc.segments());
}

bool PlanFiles::save()
{
    return path.empty() ? saveAs() : writeTo(path);
}

bool PlanFiles::saveAs()
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

}  // namespace mq::planner
