#include "app/mqnet/output_file.h"

#include <variant>

#include "app/mqnet/plan_files.h"

namespace mq::mqnet {

int outputPath(const Invocation& call, const std::string*& out)
{
    out = call.args.value("-o");
    if (out && out->empty())
        return call.refuse("-o needs a file name");
    if (out && *out == "-")
        out = nullptr;
    if (!out)
        return kExitOk;
    if (const auto t = outputTarget(*out); const auto* e = std::get_if<net::ParseError>(&t)) {
        call.faults.say(call.command.name, e->message);
        return kExitOutputFailed;
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
