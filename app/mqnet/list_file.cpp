#include "app/mqnet/list_file.h"

#include "textio/escape.h"
#include "textio/lines.h"

namespace mq::mqnet {

std::FILE* openInputFile(const Invocation& call, const std::string& path)
{
    std::string error;
    std::FILE* in = textio::openInput(path, &error);
    if (!in)
        call.refuse(path == "-" ? error : "cannot open " + textio::escaped(path) + ": " + error);
    return in;
}

bool readListFile(const Invocation& call, const std::string& path, const std::function<void(const ListLine&)>& fn)
{
    const std::string source = sourceName(path);
    call.input = source;
    std::FILE* in = openInputFile(call, path);
    if (!in)
        return false;
    const textio::ReadResult r = textio::readLines(in, [&](const textio::Line& line) {
        if (line.tooLong)
            call.faults.tooLong(source, line.number);
        else
            fn(ListLine{line.content, line.number, source, call.faults});
        return true;
    });
    textio::closeInput(in);
    if (!r.error.empty()) {
        call.refuse("cannot read " + textio::escaped(source) + ": " + r.error);
        return false;
    }
    return true;
}

}  // namespace mq::mqnet
