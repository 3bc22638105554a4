// The planner's imports from other tools: in-use prefix lists, NetBox and phpIPAM CSV,
// visualsubnetcalc JSON and share links, hosts and ranges, each from a file, a workbook's
// sheet, a paste or a drop.
#include "planner/plan_imports.h"

#include "interchange/fields.h"
#include "plan/import.h"
#include "planner/block_texts.h"
#include "planner/exchange_texts.h"
#include "textio/cell_text.h"
#include "textio/csv.h"
#include "textio/escape.h"
#include "textio/fields.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <memory>
#include <new>
#include <optional>
#include <set>

namespace mq::planner {

namespace {

using interchange::Format;

// "line 4", "lines 4 and 7", "lines 2, 4 and 7" (or rows), the first kShownLines of them.
std::string lineNumbers(const std::set<std::size_t>& lines, const ItemPlaces& places)
{
    std::string out = std::string(lines.size() == 1 ? places.unit : places.units) + " ";
    std::size_t i = 0;
    for (auto it = lines.begin(); it != lines.end() && i < kShownLines; ++it, ++i)
        out += (i == 0 ? "" : std::next(it) == lines.end() ? " and " : ", ") + std::to_string(*it);
    if (lines.size() > kShownLines)
        out += " and " + std::to_string(lines.size() - kShownLines) + " more";
    return out;
}

const char* filterOf(Format f)
{
    switch (f) {
    case Format::VscJson: return "visualsubnetcalc JSON (*.json)|*.json|All files (*)|*|";
    case Format::VscLink: return "Text files (*.txt)|*.txt|All files (*)|*|";
    case Format::List: return kImportListFilter;
    default: return kImportTableFilter;
    }
}

// A workbook's sheet as messages name it: "/plans/site.xlsx" sheet "Used".
std::string sheetSource(const std::string& file, const std::string& sheet)
{
    return textio::escaped(file, textio::kQuotedPath) + " sheet \"" + textio::escaped(sheet, textio::kQuotedValue) +
           "\"";
}

// "line 4: reason", "sheet "Hosts" row 4: reason"; the reason alone for the file as a whole.
std::string described(const textio::Problem& n, const ItemPlaces& places)
{
    return n.line ? places.where(n.line) + ": " + n.message : n.message;
}

// The prefixes read that lie in no other: the roots a new plan is offered.
std::string outermost(const std::vector<plan::ImportItem>& items)
{
    std::vector<net::Prefix> sorted;
    for (const auto& item : items)
        sorted.push_back(item.prefix);
    std::sort(sorted.begin(), sorted.end(),
              [](const net::Prefix& a, const net::Prefix& b) { return a.masked() < b.masked(); });
    std::vector<net::Prefix> tops;
    for (const auto& p : sorted)
        if (tops.empty() || !tops.back().contains(p))
            tops.push_back(p);
    if (tops.empty() || tops.size() > plan::kMaxRoots)
        return {};
    std::string text;
    for (const auto& p : tops)
        text += (text.empty() ? "" : ", ") + prefixText(p);
    return text;
}

// The table a header names: a phpIPAM one (a "subnet" column), a NetBox one (a "prefix"
// column), else a list of in-use prefixes.
Format tableOf(const textio::CsvRecord& header)
{
    if (textio::csvColumn(header, "subnet") != std::string::npos)
        return Format::Phpipam;
    if (textio::csvColumn(header, "prefix") != std::string::npos)
        return Format::Netbox;
    return Format::List;
}

// What a dropped file holds, told by its name and its first line as the readers
// would take it: a visualsubnetcalc JSON, else the table its header names.
Format droppedFormat(std::string_view fileName, std::string_view head)
{
    const std::size_t blank = head.find_first_not_of(" \t\r\n");
    if (fileName.ends_with(".json") || fileName.ends_with(".JSON") || (blank != head.npos && head[blank] == '{'))
        return Format::VscJson;
    head = head.substr(0, head.find('\n'));
    const textio::CsvTable table = textio::readCsv(head, interchange::csvDelimiterOf(head));
    return table.records.empty() ? Format::List : tableOf(table.records.front());
}

}  // namespace

interchange::RecordSource countedRows(interchange::RecordSource rows, const PlannerServices::ReadProgress& progress)
{
    rows.forEach = [inner = std::move(rows.forEach), &progress](const interchange::RecordFn& fn) {
        std::size_t n = 0;
        return inner([&](const textio::CsvRecord& r) { return fn(r) && progress(++n); });
    };
    return rows;
}

PlanImports::PlanImports(PlanSession& session, PlanFiles& files)
    : session(session), files(files), sv(session.services()), doc(session.plan())
{
}

bool PlanImports::importDroppedFile(const std::string& fileName)
{
    if (isWorkbook(fileName))
        return importDroppedWorkbook(fileName);
    // The first line is enough to tell the format; a file that cannot be opened
    // is named by the import itself.
    std::string head, error;
    if (const std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(sv.openList(fileName, error), &std::fclose); in) {
        head.resize(4096);
        head.resize(std::fread(head.data(), 1, head.size(), in.get()));
    }
    if (head.starts_with("\xEF\xBB\xBF"))
        head.erase(0, 3);
    return importFile(droppedFormat(fileName, head), fileName, false);
}

bool PlanImports::importDroppedText(const std::string& text)
{
    const std::size_t start = text.find_first_not_of(" \t\r\n");
    const std::string_view from = start == text.npos ? std::string_view() : std::string_view(text).substr(start);
    if (from.starts_with("https://") || from.starts_with("http://"))
        return importText(Format::VscLink, text, "the dropped link", false);
    return importInUse(text, "the dropped text");
}

bool PlanImports::importInUseFile()
{
    return importFormatFile(Format::List, false);
}

bool PlanImports::importInUsePaste()
{
    auto text =
        sv.pasteText("Import in-use prefixes",
                     "One prefix a line, or CSV: prefix, name, note (for example: 10.1.4.0/24, servers, rack 4)");
    if (!text)
        return false;
    return importInUse(*text, "the pasted list");
}

bool PlanImports::importInUse(const std::string& text, const std::string& source)
{
    return importText(Format::List, text, source, false);
}

bool PlanImports::importFormatFile(Format format, bool asNewPlan)
{
    if (asNewPlan && !files.queryClose())
        return false;
    auto file = sv.openFileDialog(filterOf(format));
    if (!file || file->empty())
        return false;
    return importFile(format, *file, asNewPlan);
}

bool PlanImports::importFile(Format format, const std::string& fileName, bool asNewPlan)
{
    if (isWorkbook(fileName) && format != Format::VscJson && format != Format::VscLink) {
        const auto sheet = pickSheet(fileName);
        return sheet && importSheet(format, fileName, *sheet, asNewPlan);
    }
    // Regular files only, as Open reads them: a list a line at a time, as every
    // other list is read, the other formats whole and bounded. A file whose items
    // do not fit in memory is named as such, and the plan stays as it was.
    std::string error;
    std::optional<interchange::ImportRead> read;
    const bool done = sv.readAside(fileName, [&](const PlannerServices::ReadProgress&) {
        try {
            if (format == Format::List) {
                const std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(sv.openList(fileName, error), &std::fclose);
                if (in)
                    read = interchange::readListForImport(in.get());
            } else if (std::string bytes; sv.readFile(fileName, bytes, error)) {
                read = interchange::readForImport(format, bytes);
            }
        } catch (const std::bad_alloc&) {
            read.reset();
            error = kNoMemoryToRead;
        }
    });
    if (!done)
        return false;  // cancelled: nothing was read
    if (!read) {
        sv.message(textio::escaped(fileName, textio::kQuotedPath) + " could not be read.\n\n" + error,
                   MsgIcon::Critical);
        return false;
    }
    return placeImport(std::move(*read),
                       textio::escaped(fileName, textio::kQuotedPath) + " (" + formatName(format) + ")", asNewPlan);
}

bool PlanImports::importLinkPaste(bool asNewPlan)
{
    if (asNewPlan && !files.queryClose())
        return false;
    auto text =
        sv.pasteText("Import a visualsubnetcalc link", "The share link, beginning https://visualsubnetcalc.com/?c=1");
    if (!text)
        return false;
    return importText(Format::VscLink, *text, "the pasted link", asNewPlan);
}

bool PlanImports::importText(Format format, const std::string& text, const std::string& source, bool asNewPlan)
{
    return placeImport(interchange::readForImport(format, text), source + " (" + formatName(format) + ")", asNewPlan);
}

bool PlanImports::placeImport(interchange::ImportRead read, const std::string& source, bool asNewPlan,
                              const ItemPlaces& places)
{
    importNotes.clear();
    if (!read.error.empty()) {
        // The readers quote the input in their errors escaped and shortened already.
        sv.message("Nothing could be imported from " + source + ".\n\n" + read.error, MsgIcon::Exclamation);
        return false;
    }
    std::optional<plan::Plan> target;
    if (asNewPlan) {
        const std::string offered = outermost(read.items);
        auto roots = sv.prompt("Root blocks of the new plan, separated by commas",
                               offered.empty() ? prefixText(doc.block(doc.root()).prefix) : offered);
        if (!roots)
            return false;
        target = files.planOfRoots(*roots);
        if (!target)
            return false;
    }
    const plan::Plan& checked = target ? *target : doc;
    const plan::ImportCheck check = plan::checkImport(checked, read.items);
    const interchange::ImportReport report = interchange::reportImport(read, check);
    for (const auto& n : report.notes)
        importNotes.push_back(described(n, places));

    if (check.accepted.empty()) {
        sv.message("Nothing was imported from " + source + "." + listed(importNotes), MsgIcon::Exclamation);
        return false;
    }
    const std::size_t placed = check.accepted.size();
    if (target) {
        interchange::keepValues(*target, read.values);
        std::vector<std::string> notes = std::move(importNotes);
        files.replace(std::move(*target), "");
        importNotes = std::move(notes);
    }
    // Into a new plan too, the import is a change to undo, and the untitled plan
    // asks to be saved.
    if (!session.run(plan::makeImport(std::move(read.items))))
        return false;
    if (!importNotes.empty()) {
        std::string which;
        const std::string was = std::string(places.unit) + " was", were = std::string(places.units) + " were";
        if (!report.notPlaced.empty())
            which = countText(report.notPlaced.size(), was.c_str(), were.c_str()) + " not placed (" +
                    lineNumbers(report.notPlaced, places) + ")";
        if (!report.changed.empty())
            which += (which.empty() ? "" : " and ") + countText(report.changed.size(), was.c_str(), were.c_str()) +
                     " changed (" + lineNumbers(report.changed, places) + ")";
        sv.message("Imported " + countText(placed, "prefix", "prefixes") + " from " + source +
                       (which.empty() ? std::string(":") : "; " + which + ":") + listed(importNotes),
                   MsgIcon::Exclamation);
    }
    return true;
}

bool PlanImports::importHostsFile(interchange::HostFormat format)
{
    auto file =
        sv.openFileDialog(format == interchange::HostFormat::EtcHosts ? "All files (*)|*|" : kImportTableFilter);
    if (!file || file->empty())
        return false;
    std::optional<std::string> sheet;
    if (format != interchange::HostFormat::EtcHosts && isWorkbook(*file) && !(sheet = pickSheet(*file)))
        return false;
    const interchange::RecordSource rows = sheet ? sv.sheetRecords(*file, *sheet) : interchange::RecordSource{};
    const std::string source = sheet ? sheetSource(*file, *sheet) : textio::escaped(*file, textio::kQuotedPath);
    interchange::HostRead read;
    std::string error;
    bool wasRead = false;
    if (!sv.readAside(*file, [&](const PlannerServices::ReadProgress& progress) {
            try {
                if (sheet) {
                    read = interchange::readHostTable(format, countedRows(rows, progress));
                    wasRead = true;
                } else if (std::string bytes; (wasRead = sv.readFile(*file, bytes, error))) {
                    read = interchange::readHostFile(format, bytes);
                }
            } catch (const std::bad_alloc&) {
                wasRead = false;
                error = kNoMemoryToRead;
            }
        }))
        return false;  // cancelled: nothing was read
    if (!wasRead) {
        sv.message(source + " could not be read.\n\n" + error, MsgIcon::Critical);
        return false;
    }
    return placeHosts(read, source, sheet ? ItemPlaces::rowsOf(rows) : ItemPlaces{});
}

bool PlanImports::importHosts(interchange::HostFormat format, const std::string& text, const std::string& source)
{
    return placeHosts(interchange::readHostFile(format, text), source, {});
}

bool PlanImports::placeHosts(const interchange::HostRead& read, const std::string& source, const ItemPlaces& places)
{
    importNotes.clear();
    if (!read.error.empty()) {
        sv.message("Nothing could be imported from " + source + ".\n\n" + read.error, MsgIcon::Exclamation);
        return false;
    }
    interchange::HostImport check = interchange::checkHostImport(doc, read);
    std::set<std::size_t> refused;
    std::vector<textio::Problem> all = check.refused;
    for (const auto& n : check.refused)
        refused.insert(n.line);
    all.insert(all.end(), check.notes.begin(), check.notes.end());
    std::stable_sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.line < b.line; });
    for (const auto& n : all)
        importNotes.push_back(described(n, places));
    if (check.empty()) {
        sv.message("Nothing was imported from " + source + "." + listed(importNotes), MsgIcon::Exclamation);
        return false;
    }
    const std::string placed = countText(check.hostRows, "host", "hosts") +
                               (check.rangeRows ? " and " + countText(check.rangeRows, "range", "ranges") : "");
    if (!session.run(interchange::makeHostImport(std::move(check))))
        return false;
    if (!importNotes.empty())
        sv.message("Imported " + placed + " from " + source +
                       (refused.empty() ? std::string(":")
                                        : "; " +
                                              countText(refused.size(), (std::string(places.unit) + " was").c_str(),
                                                        (std::string(places.units) + " were").c_str()) +
                                              " not placed (" + lineNumbers(refused, places) + "):") +
                       listed(importNotes),
                   MsgIcon::Exclamation);
    return true;
}

bool PlanImports::isWorkbook(const std::string& fileName)
{
    if (textio::isWorkbook(fileName, {}))
        return true;
    std::string error;
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(sv.openList(fileName, error), &std::fclose);
    char head[4] = {};
    const std::size_t n = in ? std::fread(head, 1, 4, in.get()) : 0;
    return textio::isWorkbook(fileName, std::string_view(head, n));
}

std::optional<std::string> PlanImports::pickSheet(const std::string& fileName)
{
    std::string error;
    const std::vector<std::string> names = sv.sheetNames(fileName, error);
    if (names.empty()) {
        sv.message(textio::escaped(fileName, textio::kQuotedPath) + " could not be read.\n\n" + error,
                   MsgIcon::Critical);
        return std::nullopt;
    }
    return names.size() == 1 ? std::optional(names.front()) : sv.chooseSheet(fileName, names);
}

bool PlanImports::importSheet(std::optional<Format> format, const std::string& fileName, const std::string& sheet,
                              bool asNewPlan)
{
    const interchange::RecordSource rows = sv.sheetRecords(fileName, sheet);
    interchange::ImportRead read;
    bool noMemory = false;
    if (!sv.readAside(fileName, [&](const PlannerServices::ReadProgress& progress) {
            try {
                // The first row tells a dropped sheet's table, as a CSV file's first line does.
                if (!format) {
                    format = Format::List;
                    rows.forEach([&](const textio::CsvRecord& header) {
                        format = tableOf(header);
                        return false;
                    });
                }
                read = interchange::readTableForImport(*format, countedRows(rows, progress));
            } catch (const std::bad_alloc&) {
                noMemory = true;
            }
        }))
        return false;  // cancelled: nothing was read
    if (noMemory) {
        sv.message(sheetSource(fileName, sheet) + " could not be read.\n\n" + kNoMemoryToRead, MsgIcon::Critical);
        return false;
    }
    const char* name = *format == Format::Netbox    ? "NetBox table"
                       : *format == Format::Phpipam ? "phpIPAM table"
                                                    : "prefix list";
    return placeImport(std::move(read), sheetSource(fileName, sheet) + " (" + name + ")", asNewPlan,
                       ItemPlaces::rowsOf(rows));
}

bool PlanImports::importDroppedWorkbook(const std::string& fileName)
{
    const auto sheet = pickSheet(fileName);
    return sheet && importSheet(std::nullopt, fileName, *sheet, false);
}

}  // namespace mq::planner
