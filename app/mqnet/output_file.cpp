#include "app/mqnet/output_file.h"

#include <variant>

#include "app/mqnet/plan_files.h"
#include "textio/escape.h"

namespace mq::mqnet {

int outputPath(const Invocation& call, const std::string*& out)
{
    out = call.args.value("-o");
    if (out && out->empty())
        return call.refuse("-o needs a file name");
    if (out && *out == "-")
        out = nullptr;
    return out ? checkOutputFile(call, *out) : kExitOk;
}

int checkOutputFile(const Invocation& call, const std::string& out, const std::string* edited, bool asPlan)
{
    if (const auto t = outputTarget(out); const auto* e = std::get_if<net::ParseError>(&t)) {
        call.faults.say(call.command.name, e->message);
        return kExitOutputFailed;
    }
    std::vector<const std::string*> inputs;
    for (const std::string& p : call.args.positional)
        inputs.push_back(&p);
    if (const std::string* into = call.args.value("--into"))
        inputs.push_back(into);
    const bool writesBack = edited && sameFile(out, *edited);
    for (const std::string* in : inputs) {
        if (!writesBack && *in != "-" && sameFile(out, *in))
            return call.refuse("the output " + textio::escaped(out) + " is " +
                               (*in == out ? std::string("an input of the command")
                                           : "the same file as the input " + textio::escaped(*in)) +
                               ": it would be replaced by what is read from it; give another file");
    }
    if (asPlan) {
        if (const std::string why = planFileFault(out); !why.empty()) {
            call.faults.say(call.command.name, why);
            return kExitOutputFailed;
        }
    }
    return kExitOk;
}

int deliver(const Invocation& call, const std::string* out, const std::string& bytes)
{
    if (!out) {
        call.out.write(bytes);
        return kExitOk;
    }
    if (const std::string r = writeFileAtomically(*out, bytes); !r.empty()) {
        call.faults.say(call.command.name, r);
        return kExitOutputFailed;
    }
    return kExitOk;
}

int requireWorkbookOutput(const Invocation& call, std::string_view form)
{
    if (call.args.value("-o"))
        return kExitOk;
    return call.refuse(std::string(form) + " writes a workbook: -o FILE is required (-o - for standard output)");
}

int deliverWorkbook(const Invocation& call, const std::string* out, const std::vector<xlsx::Sheet>& sheets)
{
    const xlsx::Workbook book = xlsx::writeWorkbook(sheets);
    if (!book.error.empty()) {
        call.faults.say(call.command.name, book.error);
        return kExitOutputFailed;
    }
    return deliver(call, out, book.bytes);
}

}  // namespace mq::mqnet
