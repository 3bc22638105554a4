#include "app/mqnet/deploy_files.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "app/mqnet/plan_files.h"
#include "net/address.h"
#include "plan/document.h"
#include "textio/escape.h"

namespace mq::mqnet {

namespace {

// The cut checked on its own (in default settings), so that its refusal names no other field.
bool readCut(const Invocation& call, const char* option, int plan::OutputSettings::*field,
             plan::OutputSettings& settings)
{
    const std::string* text = call.args.value(option);
    if (!text)
        return true;
    const auto n = net::parseDecimal(*text);
    if (!n || *n > 128) {
        call.refuse(std::string(option) + " " + textio::escaped(*text) + " is not a prefix length");
        return false;
    }
    plan::OutputSettings alone;
    alone.*field = static_cast<int>(*n);
    if (const std::string why = plan::checkOutputSettings(alone); !why.empty()) {
        call.refuse(std::string(option) + " " + textio::escaped(*text) + ": " + why);  // why quotes escaped
        return false;
    }
    settings.*field = alone.*field;
    return true;
}

}  // namespace

int refuseOutput(const Invocation& call, const textio::Problems& problems)
{
    for (const textio::Problem& p : problems)
        call.faults.say(call.command.name, textio::describe(p));  // the checks quote what they name escaped
    return kExitBadInput;
}

bool readZoneCuts(const Invocation& call, plan::OutputSettings& settings)
{
    return readCut(call, "--zone-cut", &plan::OutputSettings::zoneCut4, settings) &&
           readCut(call, "--zone-cut6", &plan::OutputSettings::zoneCut6, settings);
}

std::string planWritable(const std::string& path)
{
    if (path == "-")
        return "a plan read from standard input cannot keep them: give the plan's file";
    struct stat st { };
    if (::stat(path.c_str(), &st) != 0)
        return "cannot write " + textio::escaped(path) + ": " + std::strerror(errno);
    return planFileFault(path);
}

std::string folderWritable(const std::string& folder)
{
    const std::string cause = "cannot write into " + textio::escaped(folder) + ": ";
    struct stat st { };
    if (::stat(folder.c_str(), &st) != 0)
        return cause + std::strerror(errno);
    if (!S_ISDIR(st.st_mode))
        return cause + std::strerror(ENOTDIR);
    if ((st.st_mode & 0222) == 0)
        return cause + "it is read-only";
    if (::access(folder.c_str(), W_OK) != 0)
        return cause + std::strerror(errno);
    return {};
}

bool recordPlan(const Invocation& call, const std::string& path, const plan::Plan& plan, const std::string& what)
{
    std::string why = planWritable(path);
    if (why.empty())
        why = writePlanDocument(path, plan);
    if (!why.empty()) {
        call.faults.say(call.command.name, "cannot record " + what + ": " + why + "; nothing was written");
        return false;
    }
    call.faults.say(call.command.name, "recorded " + what + " in " + textio::escaped(path));
    return true;
}

}  // namespace mq::mqnet
