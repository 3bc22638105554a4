#include "sheets/sheet_records.h"

#include <QFile>
#include <memory>

#include "sheets/xlsx_reader.h"
#include "textio/cell_text.h"

namespace mq::sheets {

interchange::RecordSource sheetRecords(const std::string& path, const std::string& sheet)
{
    auto name = std::make_shared<std::string>(sheet);
    interchange::RecordSource source;
    source.forEach = [path, sheet, name](const interchange::RecordFn& fn) {
        textio::CsvRecord record;
        const SheetRead r = readSheet(path, sheet, [&](const SheetRow& row) {
            *name = row.sheet;
            bool own = false;
            for (std::size_t i = 0; i < row.cells.size() && !own; ++i)
                own = !row.cells[i].empty() && !row.covered[i];
            if (!own)
                return true;
            record.line = row.number;
            record.fields = row.cells;
            return fn(record);
        });
        if (!r.sheet.empty())
            *name = r.sheet;
        return r.error;
    };
    source.where = [name](std::size_t row) { return rowName(*name, row); };
    source.what = "sheet";
    source.header = "header row";
    return source;
}

std::optional<std::string> sheetText(const std::string& path, std::size_t maxBytes, std::string* error)
{
    std::string text;
    bool tooLong = false;
    const std::string fault = sheetRecords(path, "").forEach([&](const textio::CsvRecord& record) {
        std::string line;
        for (const std::string& cell : record.fields)
            if (!cell.empty())
                line += (line.empty() ? "" : " ") + cell;
        tooLong = text.size() + line.size() + 1 > maxBytes;
        if (!tooLong)
            text += line + "\n";
        return !tooLong;
    });
    if (fault.empty() && !tooLong)
        return text;
    *error = tooLong ? "holds more than " + std::to_string(maxBytes >> 20) + " MB of text" : fault;
    return std::nullopt;
}

bool isWorkbook(const std::string& path)
{
    if (textio::isWorkbook(path, {}))
        return true;
    QFile file(QString::fromStdString(path));
    const QByteArray head = file.open(QIODevice::ReadOnly) ? file.read(4) : QByteArray();
    return textio::isWorkbook(path, std::string_view(head.constData(), static_cast<std::size_t>(head.size())));
}

}  // namespace mq::sheets
