// Save and Print of the classless calculator: a text report of the results,
// the listing as CSV (streamed, cancellable, checked against the free space of
// the target folder first) or as a workbook (up to a worksheet's rows, cancellable),
// the Lists page's result the same ways, and the printed results.
#pragma once

#include "classless/form.h"
#include "classless/listing.h"
#include "classless/lists.h"
#include "core/rtf_writer.h"
#include "core/services.h"
#include "reports/frmmain_reports.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace mq::classless {

inline constexpr const char* kWindowTitle = "Classless Calculator";
// Save of a table: the report as text, or the table as CSV or as a workbook.
inline constexpr const char* kTableFilter =
    "Text Files (*.txt)|*.txt|CSV Files (*.csv)|*.csv|Excel Workbooks (*.xlsx)|*.xlsx|";
inline constexpr const char* kCsvHeader = "index,network,first,last,broadcast";

// The file the Save dialog named, and the file type chosen in it (an index into
// the filter's pairs; -1 when the dialog does not tell).
struct SaveChoice {
    std::string path;
    int type = -1;
};

// Where a CSV listing goes: the program's one file writer, atomic for plain files.
class CsvTarget {
public:
    virtual ~CsvTarget() = default;
    // The Save dialog. By default the program's own, which does not tell the type.
    virtual std::optional<SaveChoice> chooseFile(const std::string& filter, Services& sv);
    // Free bytes of the folder that would hold path; nothing when unknown.
    virtual std::optional<std::uint64_t> freeBytes(const std::string& path) = 0;
    // Writes what produce sends; the old file stays as it was unless every byte
    // arrived and produce said true. False with the real cause in error.
    virtual bool save(const std::string& path, const std::function<bool(ByteSink&)>& produce, std::string& error) = 0;
    // Rows 0..row are written, of 0..lastRow; false when the user cancelled.
    virtual bool progress(u128 row, u128 lastRow) = 0;
};

enum class SaveOutcome { Written, Cancelled, Refused, Failed, Nothing };

// The CSV file's size, estimated from rows spread over the listing (saturates at 2^128 - 1).
u128 csvSizeEstimate(const SubnetListing& listing);
SaveOutcome saveCsv(const SubnetListing& listing, const std::string& path, CsvTarget& target, Services& sv);
// The listing as a workbook of one sheet with the CSV's cells; refused, before anything is
// written, when it has more rows than a worksheet holds (CSV holds them).
SaveOutcome saveWorkbook(const SubnetListing& listing, const std::string& path, CsvTarget& target, Services& sv);

// The text report: a heading, the results, and the listing's split when one is shown.
std::vector<std::string> reportLines(const ClasslessForm& form, const SubnetListing& listing);
std::vector<PrintLine> printLines(const ClasslessForm& form, const SubnetListing& listing);

// The path as saved: the chosen type's extension added when the name has none.
std::string withExtension(const std::string& path, const std::string& filter, int type);

// The main window's Save and Print for this window: the facts and the listing.
SaveOutcome saveResults(const ClasslessForm& form, const SubnetListing& listing, Services& sv, ReportOutput& out,
                        CsvTarget& csv);
void printResults(const ClasslessForm& form, const SubnetListing& listing, Services& sv, ReportOutput& out);
// The same on the Lists page: the operation, the counts, the result and the refused lines;
// a result of prefixes also as CSV or a workbook (kResultColumns).
SaveOutcome saveLists(const ListsForm& lists, Services& sv, ReportOutput& out, CsvTarget& files);
void printLists(const ListsForm& lists, Services& sv, ReportOutput& out);
// Report lines for the printer: every line in a fixed-pitch face without ligatures,
// so an address copied out of the printout is the address.
std::vector<PrintLine> fixedPrintLines(const std::vector<std::string>& lines);

}  // namespace mq::classless
