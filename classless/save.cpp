#include "classless/save.h"

#include "reports/results_report.h"
#include "reports/tool_report.h"

#include <algorithm>
#include <cctype>

namespace mq::classless {

namespace {

constexpr std::size_t kChunk = 1 << 20;  // bytes handed to the file at a time

bool endsWithCsv(const std::string& path)
{
    if (path.size() < 4)
        return false;
    std::string ext = path.substr(path.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".csv";
}

std::string megabytes(u128 bytes)
{
    return net::toDecimal((bytes + (1u << 20) - 1) >> 20) + " MB";
}

}  // namespace

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
                      ", but the folder of " + path + " has only " + megabytes(*free) +
                      " free. Nothing was written.",
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
    std::vector<std::string> lines = {"Maskquill Classless Calculator", "", "Input: " + form.Input, ""};
    for (std::string& l : form.resultLines())
        lines.push_back(std::move(l));
    if (listing.shown()) {
        lines.push_back("");
        lines.push_back("Split into /" + std::to_string(listing.newLength()) + ": " +
                        net::toDecimal(listing.rowCount()) + " subnets");
    }
    return lines;
}

std::vector<PrintLine> printLines(const ClasslessForm& form, const SubnetListing& listing)
{
    return toolPrintLines(reportLines(form, listing));
}

SaveOutcome saveResults(const ClasslessForm& form, const SubnetListing& listing, Services& sv, ReportOutput& out,
                        CsvTarget& csv)
{
    auto file = sv.saveFileDialog(listing.shown() ? kTextAndCsvFilter : kTextFileFilter);
    if (!file || file->empty())
        return SaveOutcome::Cancelled;
    if (listing.shown() && endsWithCsv(*file))
        return saveCsv(listing, *file, csv, sv);
    const std::vector<std::string> lines = reportLines(form, listing);
    if (lines.empty()) {
        sv.msgBox("Nothing to Write", MsgIcon::Information, "Oops");
        return SaveOutcome::Nothing;
    }
    return writeToolReport(*file, lines, sv, out, kWindowTitle) ? SaveOutcome::Written : SaveOutcome::Failed;
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

}  // namespace mq::classless
