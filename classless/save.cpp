#include "classless/save.h"

#include "reports/results_report.h"
#include "reports/tool_report.h"
#include "textio/fields.h"

#include <algorithm>

namespace mq::classless {

namespace {

constexpr std::size_t kChunk = 1 << 20;  // bytes handed to the file at a time

bool endsWithCsv(const std::string& path)
{
    return path.size() >= 4 && textio::equalsIgnoringCase(std::string_view(path).substr(path.size() - 4), ".csv");
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
        std::string buf = std::string(kCsvHeader) + "\r\n";
        buf.reserve(kChunk + 512);
        const u128 last = listing.lastRow();
        for (u128 r = 0;; ++r) {
            listing.appendRow(buf, r, ',');
            buf += "\r\n";
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
    };
    std::string error;
    if (!target.save(path, produce, error)) {
        if (cancelled)
            return SaveOutcome::Cancelled;  // the user asked for it: no message
        sv.msgBox("Could not write " + path + ": " + error, MsgIcon::Critical, kWindowTitle);
        return SaveOutcome::Failed;
    }
    sv.msgBox("File Successfully Written", MsgIcon::Information, "Print OK");
    return SaveOutcome::Written;
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
    const std::string filter = listing.shown() ? kTextAndCsvFilter : kTextFileFilter;
    const auto file = choose(csv, filter, sv);
    if (!file)
        return SaveOutcome::Cancelled;
    // The type chosen decides; a dialog that does not tell leaves it to the name.
    const bool asCsv = listing.shown() && (file->type == 1 || (file->type < 0 && endsWithCsv(file->path)));
    if (asCsv)
        return saveCsv(listing, file->path, csv, sv);
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
    const auto file = choose(files, kTextFileFilter, sv);
    if (!file)
        return SaveOutcome::Cancelled;
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
