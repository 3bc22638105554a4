// The planner's exports: the allocations table or the leaves as CSV, the report as text,
// other tools' formats, the tables as one workbook or each as its own, and the tables and
// the share link on the clipboard.
#include "planner/plan_exports.h"

#include "interchange/formula_cells.h"
#include "interchange/plan_sheets.h"
#include "plan/allocations.h"
#include "plan/csv.h"
#include "planner/allocation_table.h"
#include "planner/exchange_texts.h"
#include "planner/file_texts.h"
#include "planner/hosts_table.h"
#include "planner/report_lines.h"
#include "xlsx/sheet.h"

namespace mq::planner {

using interchange::Format;

namespace {

// What a name typed without one gets, by the file type chosen.
const char* extensionOf(int type)
{
    switch (type) {
    case ExportReport:
    case ExportEtcHosts: return ".txt";
    case ExportVscJson: return ".json";
    case ExportWorkbook:
    case ExportAllocationsWorkbook:
    case ExportLeavesWorkbook:
    case ExportSubnetsWorkbook:
    case ExportHostsWorkbook: return ".xlsx";
    default: return ".csv";
    }
}

// The tables a workbook type holds, nothing for the other types.
std::optional<interchange::PlanTable> workbookTable(int type)
{
    using interchange::PlanTable;
    switch (type) {
    case ExportWorkbook: return PlanTable::All;
    case ExportAllocationsWorkbook: return PlanTable::Allocations;
    case ExportLeavesWorkbook: return PlanTable::Leaves;
    case ExportSubnetsWorkbook: return PlanTable::Subnets;
    case ExportHostsWorkbook: return PlanTable::Hosts;
    default: return std::nullopt;
    }
}

}  // namespace

void WorkbookExport::make(const xlsx::Progress& progress)
{
    if (!stop.load())
        copy.emplace(source);
    released.store(true);
    if (!copy)
        return;
    book = xlsx::writeWorkbook(interchange::planSheets(*copy, tables), [&](std::size_t done, std::size_t total) {
        return !stop.load() && (!progress || progress(done, total));
    });
    copy.reset();  // on the worker too: freeing a large plan takes a while
}

PlanExports::PlanExports(PlanSession& session, const PlanFiles& files, PlanEdits& edits)
    : files(files), edits(edits), sv(session.services()), doc(session.plan())
{
}

std::optional<FileChoice> PlanExports::chooseExport()
{
    const std::string base = files.filePath().empty()
                                 ? std::string("Untitled")
                                 : baseName(files.filePath()).substr(0, baseName(files.filePath()).rfind('.'));
    auto choice = sv.exportFileDialog(kExportFilter, base + ".csv");
    if (!choice || choice->path.empty())
        return std::nullopt;
    choice->type = choice->type < 0 ? 0 : choice->type;
    if (baseName(choice->path).find('.') == std::string::npos)
        choice->path += extensionOf(choice->type);
    return choice;
}

bool PlanExports::exportFile()
{
    const auto choice = chooseExport();
    return choice && exportTo(choice->path, choice->type);
}

std::unique_ptr<WorkbookExport> PlanExports::startWorkbook(const std::string& fileName, int type) const
{
    const auto table = workbookTable(type);
    if (!table)
        return nullptr;
    return std::make_unique<WorkbookExport>(doc, *table, fileName);
}

bool PlanExports::finishWorkbook(const WorkbookExport& job)
{
    if (job.cancelled())
        return false;
    if (!job.workbook().error.empty()) {
        sv.message("The workbook cannot be made.\n\n" + job.workbook().error, MsgIcon::Critical);
        return false;
    }
    return writeExport(job.fileName(), job.workbook().bytes);
}

bool PlanExports::exportTo(const std::string& fileName, int type)
{
    switch (type) {
    case ExportNetbox: return exportInterchange(fileName, interchange::Format::Netbox);
    case ExportPhpipam: return exportInterchange(fileName, interchange::Format::Phpipam);
    case ExportVscJson: return exportInterchange(fileName, interchange::Format::VscJson);
    case ExportSubnets: return exportHostFile(fileName, interchange::HostExport::Subnets);
    case ExportHosts: return exportHostFile(fileName, interchange::HostExport::Hosts);
    case ExportNetboxAddresses: return exportHostFile(fileName, interchange::HostExport::NetboxAddresses);
    case ExportNetboxRanges: return exportHostFile(fileName, interchange::HostExport::NetboxRanges);
    case ExportPhpipamAddresses: return exportHostFile(fileName, interchange::HostExport::PhpipamAddresses);
    case ExportEtcHosts: return exportHostFile(fileName, interchange::HostExport::EtcHosts);
    default: break;
    }
    if (auto job = startWorkbook(fileName, type)) {
        job->make();
        return finishWorkbook(*job);
    }
    std::string bytes;
    if (type == ExportLeaves) {
        bytes = plan::leavesCsv(doc);
    } else if (type == ExportReport) {
        for (const std::string& line : planReportLines(doc, files.filePath()))
            bytes += line + "\r\n";
    } else {
        bytes = plan::allocationsCsv(doc, "\r\n");
    }
    return writeExport(fileName, bytes);
}

bool PlanExports::writeExport(const std::string& fileName, const std::string& bytes,
                              const std::vector<std::string>& notes)
{
    std::string error;
    if (!sv.writeFile(fileName, bytes, error)) {
        sv.message("The export could not be written to " + quotedPath(fileName) + "\n\n" + error, MsgIcon::Critical);
        return false;
    }
    sv.message("Exported to " + quotedPath(fileName) + "." + listed(notes), MsgIcon::Information);
    return true;
}

// phpIPAM's import needs a section: the values dialog asks for it first.
bool PlanExports::hasSection()
{
    if (doc.ipamValues().section.empty()) {
        edits.editIpamValues();
        if (doc.ipamValues().section.empty()) {
            sv.message("The plan cannot be exported as phpIPAM CSV.\n\nphpIPAM's import needs the name of a "
                       "section: give the plan's section under Export > IPAM values, then export again.",
                       MsgIcon::Exclamation);
            return false;
        }
    }
    return true;
}

bool PlanExports::exportInterchange(const std::string& fileName, Format format)
{
    if (format == Format::Phpipam && !hasSection())
        return false;
    const interchange::WriteResult out = interchange::exportPlan(doc, format, interchange::valuesOf(doc));
    if (!out.error.empty()) {
        sv.message("The plan cannot be exported as " + std::string(formatName(format)) + ".\n\n" + out.error,
                   MsgIcon::Exclamation);
        return false;
    }
    std::vector<std::string> notes;
    for (const auto& n : out.notices)
        notes.push_back(textio::describe(n));
    // The IPAM needs the values as typed: the user is told of those a spreadsheet would run.
    for (const auto& c : interchange::formulaCells(doc, format, interchange::valuesOf(doc)))
        notes.push_back(plan::describe(doc, c));
    return writeExport(fileName, out.text, notes);
}

bool PlanExports::exportHostFile(const std::string& fileName, interchange::HostExport what)
{
    using interchange::HostExport;
    if (what == HostExport::PhpipamAddresses && !hasSection())
        return false;
    const interchange::WriteResult out = interchange::exportHosts(doc, what, doc.ipamValues());
    if (!out.error.empty()) {
        sv.message("The plan's addresses cannot be exported.\n\n" + out.error, MsgIcon::Exclamation);
        return false;
    }
    std::vector<std::string> notes;
    for (const auto& n : out.notices)
        notes.push_back(textio::describe(n));
    // The IPAM files keep the values as typed (the subnets and hosts CSV are for spreadsheets).
    if (what == HostExport::NetboxAddresses || what == HostExport::PhpipamAddresses)
        for (std::string& w : interchange::hostFormulaWarnings(doc))
            notes.push_back(std::move(w));
    return writeExport(fileName, out.text, notes);
}

bool PlanExports::copyVscLink()
{
    const interchange::WriteResult out = interchange::exportPlan(doc, Format::VscLink, interchange::valuesOf(doc));
    if (!out.error.empty()) {
        sv.message("The plan has no visualsubnetcalc link.\n\n" + out.error, MsgIcon::Exclamation);
        return false;
    }
    sv.setClipboard(out.text);
    if (!out.notices.empty()) {
        std::vector<std::string> notes;
        for (const auto& n : out.notices)
            notes.push_back(textio::describe(n));
        sv.message("The link is on the clipboard." + listed(notes), MsgIcon::Information);
    }
    return true;
}

void PlanExports::copyAllocations()
{
    sv.setClipboard(allocationsTsv(planner::allocationRows(doc)));
}

void PlanExports::copyHosts(const HostsTable& table)
{
    sv.setClipboard(table.tsv());
}

}  // namespace mq::planner
