// The planner's own exports: the allocations table or the leaves as CSV, the
// report as text, the tables as one workbook or each as its own (the other tools'
// formats are planner_interchange.cpp's), and the table on the clipboard.
#include "planner/planner_form.h"

#include <optional>

#include "interchange/plan_sheets.h"
#include "plan/allocations.h"
#include "plan/csv.h"
#include "planner/allocation_table.h"
#include "planner/file_texts.h"
#include "planner/workbook_export.h"
#include "xlsx/sheet.h"

namespace mq::planner {

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

std::optional<FileChoice> PlannerForm::chooseExport()
{
    const std::string base =
        path.empty() ? std::string("Untitled") : baseName(path).substr(0, baseName(path).rfind('.'));
    auto choice = sv.exportFileDialog(kExportFilter, base + ".csv");
    if (!choice || choice->path.empty())
        return std::nullopt;
    choice->type = choice->type < 0 ? 0 : choice->type;
    if (baseName(choice->path).find('.') == std::string::npos)
        choice->path += extensionOf(choice->type);
    return choice;
}

bool PlannerForm::exportFile()
{
    const auto choice = chooseExport();
    return choice && exportTo(choice->path, choice->type);
}

std::unique_ptr<WorkbookExport> PlannerForm::startWorkbook(const std::string& fileName, int type) const
{
    const auto table = workbookTable(type);
    if (!table)
        return nullptr;
    return std::make_unique<WorkbookExport>(doc, *table, fileName);
}

bool PlannerForm::finishWorkbook(const WorkbookExport& job)
{
    if (job.cancelled())
        return false;
    if (!job.workbook().error.empty()) {
        sv.message("The workbook cannot be made.\n\n" + job.workbook().error, MsgIcon::Critical);
        return false;
    }
    return writeExport(job.fileName(), job.workbook().bytes);
}

bool PlannerForm::exportTo(const std::string& fileName, int type)
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
        for (const std::string& line : reportLines())
            bytes += line + "\r\n";
    } else {
        bytes = plan::allocationsCsv(doc, "\r\n");
    }
    return writeExport(fileName, bytes);
}

bool PlannerForm::writeExport(const std::string& fileName, const std::string& bytes)
{
    std::string error;
    if (!sv.writeFile(fileName, bytes, error)) {
        sv.message("The export could not be written to " + quotedPath(fileName) + "\n\n" + error, MsgIcon::Critical);
        return false;
    }
    sv.message("Exported to " + quotedPath(fileName) + ".", MsgIcon::Information);
    return true;
}

void PlannerForm::copyAllocations()
{
    sv.setClipboard(allocationsTsv(planner::allocationRows(doc)));
}

}  // namespace mq::planner
