#include "classless/save.h"

#include "reports/results_report.h"
#include "reports/tool_report.h"
#include "textio/csv.h"
#include "textio/fields.h"
#include "xlsx/sheet.h"

#include <algorithm>

namespace mq::classless {

namespace {

constexpr std::size_t kChunk = 1 << 20;  // bytes handed to the file at a time

bool endsWith(const std::string& path, std::string_view extension)
{
    return path.size() >= extension.size() &&
           textio::equalsIgnoringCase(std::string_view(path).substr(path.size() - extension.size()), extension);
}

// The pattern of the filter's type-th pair ("*.csv"), "" when there is none.
std::string patternOf(const std::string& filter, int type)
{
    std::size_t at = 0;
    for (int field = 0; at <= filter.size(); ++field) {
        const std::size_t bar = filter.find('|', at);
        const std::string part = filter.substr(at, bar == std::string::npos ? std::string::npos : bar - at);
        if (field == 2 * type + 1)
            return part;
        if (bar == std::string::npos)
            break;
        at = bar + 1;
    }
    return {};
}

std::optional<SaveChoice> choose(CsvTarget& target, const std::string& filter, Services& sv)
{
    auto choice = target.chooseFile(filter, sv);
    if (!choice || choice->path.empty())
        return std::nullopt;
    choice->path = withExtension(choice->path, filter, choice->type);
    return choice;
}

std::string megabytes(u128 bytes)
{
    return net::toDecimal((bytes + (1u << 20) - 1) >> 20) + " MB";
}

enum class TableFormat { Text, Csv, Workbook };

// The type chosen decides; a dialog that does not tell leaves it to the name.
TableFormat formatOf(const SaveChoice& file)
{
    if (file.type == 1 || (file.type < 0 && endsWith(file.path, ".csv")))
        return TableFormat::Csv;
    if (file.type == 2 || (file.type < 0 && endsWith(file.path, ".xlsx")))
        return TableFormat::Workbook;
    return TableFormat::Text;
}

// The header, then rows 0..last (none unless any) as row appends them, handed to the sink a
// megabyte at a time, the progress told after each; false when the sink failed or the user
// cancelled (cancelled set).
template <class AppendRow>
bool streamRows(ByteSink& sink, std::string_view header, bool any, u128 last, CsvTarget& target, bool& cancelled,
                const AppendRow& row)
{
    std::string buf = std::string(header) + "\r\n";
    buf.reserve(kChunk + 512);
    if (!any)
        return sink.write(buf);
    for (u128 r = 0;; ++r) {
        row(buf, r);
        const bool end = r == last;
        if (buf.size() >= kChunk || end) {
            if (!sink.write(buf))
                return false;
            buf.clear();
            if (!end && !target.progress(r, last)) {
                cancelled = true;
                return false;
            }
        }
        if (end)
            return true;
    }
}

// What a save through the target came to, told as the CSV listing always told it.
SaveOutcome saved(bool written, bool cancelled, const std::string& path, const std::string& error, Services& sv)
{
    if (!written) {
        if (cancelled)
            return SaveOutcome::Cancelled;  // the user asked for it: no message
        sv.msgBox("Could not write " + path + ": " + error, MsgIcon::Critical, kWindowTitle);
        return SaveOutcome::Failed;
    }
    sv.msgBox("File Successfully Written", MsgIcon::Information, "Print OK");
    return SaveOutcome::Written;
}

SaveOutcome tooManyRows(const std::string& what, Services& sv)
{
    sv.msgBox(what + " are more than a worksheet holds (" + std::to_string(xlsx::kMaxSheetRows) +
                  " below its header row). A CSV file holds them all: save it as CSV. Nothing was written.",
              MsgIcon::Exclamation, kWindowTitle);
    return SaveOutcome::Refused;
}

// One sheet as a workbook through the target: built as the target writes, so that its
// progress dialog shows the rows as they are made and can stop them.
SaveOutcome saveSheet(const xlsx::Sheet& sheet, const std::string& path, CsvTarget& target, Services& sv)
{
    bool cancelled = false;
    std::string failure;
    const auto produce = [&](ByteSink& sink) {
        const xlsx::Workbook book = xlsx::writeWorkbook(
            {sheet}, [&](std::size_t done, std::size_t total) { return target.progress(done - 1, total - 1); });
        cancelled = book.cancelled;
        failure = book.error;
        return !cancelled && failure.empty() && sink.write(book.bytes);
    };
    std::string error;
    const bool written = target.save(path, produce, error);
    return saved(written, cancelled, path, failure.empty() ? error : failure, sv);
}

// The Lists page's prefixes, one a row.
SaveOutcome saveResultTable(const ListsResult& result, TableFormat format, const std::string& path, CsvTarget& target,
                            Services& sv)
{
    const std::vector<std::string>& lines = result.lines;
    if (format == TableFormat::Workbook) {
        if (lines.size() > xlsx::kMaxSheetRows)
            return tooManyRows("The result's " + std::to_string(lines.size()) + " prefixes", sv);
        std::vector<xlsx::Column> columns;
        for (const char* name : kResultColumns)
            columns.push_back({name});
        columns.back().type = xlsx::CellType::Count;
        const xlsx::Sheet sheet{"prefixes", columns, lines.size(),
                                [&](std::size_t i, std::vector<std::string>& cells) { cells = resultCells(lines[i]); }};
        return saveSheet(sheet, path, target, sv);
    }
    std::string header;
    textio::appendCsvRow(header, kResultColumns, "");
    bool cancelled = false;
    const auto produce = [&](ByteSink& sink) {
        return streamRows(sink, header, !lines.empty(), lines.size() - 1, target, cancelled,
                          [&](std::string& buf, u128 r) {
                              textio::appendCsvRow(buf, resultCells(lines[static_cast<std::size_t>(r)]), "\r\n",
                                                   textio::CsvReader::Spreadsheet);
                          });
    };
    std::string error;
    const bool written = target.save(path, produce, error);  // before cancelled is read
    return saved(written, cancelled, path, error, sv);
}

}  // namespace

std::optional<SaveChoice> CsvTarget::chooseFile(const std::string& filter, Services& sv)
{
    auto file = sv.saveFileDialog(filter);
    if (!file)
        return std::nullopt;
    return SaveChoice{*file, -1};
}

std::string withExtension(const std::string& path, const std::string& filter, int type)
{
    const std::string pattern = patternOf(filter, type);
    const std::size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (pattern.size() < 3 || pattern.rfind("*.", 0) != 0 || name.find('.') != std::string::npos)
        return path;
    return path + pattern.substr(1);
}

u128 csvSizeEstimate(const SubnetListing& listing)
{
    if (!listing.shown())
        return 0;
    // Rows grow longer down the listing (more digits): average 17 rows spread over it.
    const u128 rowsLessOne = listing.lastRow();  // rows - 1 always fits
    std::string sample;
    for (int i = 0; i <= 16; ++i)
        listing.appendRow(sample, rowsLessOne / 16 * static_cast<u128>(i) + (i == 16 ? rowsLessOne % 16 : 0), ',');
    const u128 perRow = sample.size() / 17 + 2;  // and CR LF
    const u128 max = ~static_cast<u128>(0);
    if (rowsLessOne > max / perRow - 1)
        return max;
    return (rowsLessOne + 1) * perRow + sizeof("index,network,first,last,broadcast");
}

SaveOutcome saveCsv(const SubnetListing& listing, const std::string& path, CsvTarget& target, Services& sv)
{
    if (!listing.shown()) {
        sv.msgBox("Nothing to Write", MsgIcon::Information, "Oops");
        return SaveOutcome::Nothing;
    }
    const u128 need = csvSizeEstimate(listing);
    if (auto free = target.freeBytes(path); free && need > *free) {
        sv.msgBox("The listing of " + net::toDecimal(listing.rowCount()) + " rows needs about " + megabytes(need) +
                      ", but the folder of " + path + " has only " + megabytes(*free) + " free. Nothing was written.",
                  MsgIcon::Exclamation, kWindowTitle);
        return SaveOutcome::Refused;
    }
    bool cancelled = false;
    const auto produce = [&](ByteSink& sink) {
        return streamRows(sink, kCsvHeader, true, listing.lastRow(), target, cancelled, [&](std::string& buf, u128 r) {
            listing.appendRow(buf, r, ',');
            buf += "\r\n";
        });
    };
    std::string error;
    const bool written = target.save(path, produce, error);  // before cancelled is read
    return saved(written, cancelled, path, error, sv);
}

SaveOutcome saveWorkbook(const SubnetListing& listing, const std::string& path, CsvTarget& target, Services& sv)
{
    if (!listing.shown()) {
        sv.msgBox("Nothing to Write", MsgIcon::Information, "Oops");
        return SaveOutcome::Nothing;
    }
    const net::Count rows = listing.rowCount();
    if (rows.twoTo128 || rows.low > xlsx::kMaxSheetRows)
        return tooManyRows("The listing of " + net::toDecimal(rows) + " rows", sv);
    const xlsx::Sheet sheet{"split",
                            {{"index", xlsx::CellType::Count}, {"network"}, {"first"}, {"last"}, {"broadcast"}},
                            static_cast<std::size_t>(rows.low),
                            [&](std::size_t i, std::vector<std::string>& cells) {
                                const auto row = listing.cells(i);
                                cells.assign(row.begin(), row.end());
                            }};
    return saveSheet(sheet, path, target, sv);
}

std::vector<std::string> reportLines(const ClasslessForm& form, const SubnetListing& listing)
{
    if (!form.hasResults())
        return {};
    std::vector<std::string> lines = {"Maskquill Classless Calculator", "", "Input: " + form.input, ""};
    for (std::string& l : form.resultLines())
        lines.push_back(std::move(l));
    if (listing.shown()) {
        lines.push_back("");
        lines.push_back("Split into /" + std::to_string(listing.newLength()) + ": " +
                        net::toDecimal(listing.rowCount()) +
                        (listing.rowCount() == net::Count{1} ? " subnet" : " subnets"));
    }
    return lines;
}

std::vector<PrintLine> fixedPrintLines(const std::vector<std::string>& lines)
{
    std::vector<PrintLine> out = toolPrintLines(lines);
    for (PrintLine& l : out)
        l.fixedPitch = true;
    return out;
}

std::vector<PrintLine> printLines(const ClasslessForm& form, const SubnetListing& listing)
{
    return fixedPrintLines(reportLines(form, listing));
}

SaveOutcome saveResults(const ClasslessForm& form, const SubnetListing& listing, Services& sv, ReportOutput& out,
                        CsvTarget& csv)
{
    const std::string filter = listing.shown() ? kTableFilter : kTextFileFilter;
    const auto file = choose(csv, filter, sv);
    if (!file)
        return SaveOutcome::Cancelled;
    const TableFormat format = listing.shown() ? formatOf(*file) : TableFormat::Text;
    if (format == TableFormat::Csv)
        return saveCsv(listing, file->path, csv, sv);
    if (format == TableFormat::Workbook)
        return saveWorkbook(listing, file->path, csv, sv);
    const std::vector<std::string> lines = reportLines(form, listing);
    if (lines.empty()) {
        sv.msgBox("Nothing to Write", MsgIcon::Information, "Oops");
        return SaveOutcome::Nothing;
    }
    return writeToolReport(file->path, lines, sv, out, kWindowTitle) ? SaveOutcome::Written : SaveOutcome::Failed;
}

void printResults(const ClasslessForm& form, const SubnetListing& listing, Services& sv, ReportOutput& out)
{
    const std::vector<PrintLine> lines = printLines(form, listing);
    if (lines.empty()) {
        sv.msgBox("Nothing to Print", MsgIcon::Information, "Oops");
        return;
    }
    printToolReport(lines, sv, out, kWindowTitle);
}

SaveOutcome saveLists(const ListsForm& lists, Services& sv, ReportOutput& out, CsvTarget& files)
{
    const bool table = lists.hasPrefixTable();
    const auto file = choose(files, table ? kTableFilter : kTextFileFilter, sv);
    if (!file)
        return SaveOutcome::Cancelled;
    if (const TableFormat format = table ? formatOf(*file) : TableFormat::Text; format != TableFormat::Text)
        return saveResultTable(lists.result, format, file->path, files, sv);
    const std::vector<std::string> lines = lists.reportLines();
    if (lines.empty()) {
        sv.msgBox("Nothing to Write", MsgIcon::Information, "Oops");
        return SaveOutcome::Nothing;
    }
    return writeToolReport(file->path, lines, sv, out, kWindowTitle) ? SaveOutcome::Written : SaveOutcome::Failed;
}

void printLists(const ListsForm& lists, Services& sv, ReportOutput& out)
{
    const std::vector<std::string> lines = lists.reportLines();
    if (lines.empty()) {
        sv.msgBox("Nothing to Print", MsgIcon::Information, "Oops");
        return;
    }
    printToolReport(fixedPrintLines(lines), sv, out, kWindowTitle);
}

}  // namespace mq::classless
