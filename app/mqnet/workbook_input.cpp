#include "app/mqnet/workbook_input.h"

#include "sheets/sheet_records.h"

namespace mq::mqnet {

std::optional<bool> readsWorkbook(const Invocation& call, const std::string& path)
{
    const bool workbook = path != "-" && sheets::isWorkbook(path);
    if (const std::string* sheet = call.args.value("--sheet"); sheet && sheet->empty()) {
        call.refuse("--sheet needs the name of a sheet");
        return std::nullopt;
    }
    if (!workbook && call.args.value("--sheet")) {
        call.refuse(path == "-" ? "--sheet is for a workbook, which is not read from standard input"
                                : "--sheet is for a workbook (.xlsx): " + textio::escaped(path) + " is none");
        return std::nullopt;
    }
    if (workbook)
        call.input = path;  // named when memory runs out while it is read
    return workbook;
}

std::string sheetOption(const Invocation& call)
{
    const std::string* sheet = call.args.value("--sheet");
    return sheet ? *sheet : std::string();
}

std::string itemPlace(const std::string& source, const std::function<std::string(std::size_t)>& where, std::size_t line)
{
    return line ? source + " " + where(line) : source;
}

}  // namespace mq::mqnet
