#include "tests/xlsx/read_back.h"

#include "tests/support/files.h"

namespace mq::test {

std::optional<std::vector<std::string>> readBackWorkbook(const std::string& bytes)
{
    const TempDir folder;
    const Outcome r = runProgram("/usr/bin/python3", {MQ_READ_BACK_SCRIPT, folder.write("book.xlsx", bytes)});
    if (r.status == 3)
        return std::nullopt;
    if (r.status != 0)
        return std::vector<std::string>{"unreadable: " + r.err};
    std::vector<std::string> lines;
    for (std::size_t from = 0; from < r.out.size();) {
        const std::size_t end = r.out.find('\n', from);
        lines.push_back(r.out.substr(from, end - from));
        from = end == std::string::npos ? r.out.size() : end + 1;
    }
    return lines;
}

}  // namespace mq::test
