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

bool PlannerForm::exportFile()
{
    const std::string base =
        path.empty() ? std::string("Untitled") : baseName(path).substr(0, baseName(path).rfind('.'));
    auto choice = sv.exportFileDialog(kExportFilter, base + ".csv");
    if (!choice || choice->path.empty())
        return false;
    const int type = choice->type < 0 ? 0 : choice->type;
    std::string name = choice->path;
    if (baseName(name).find('.') == std::string::npos)
        name += extensionOf(type);
    return exportTo(name, type);
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
    std::string bytes;
    if (const auto table = workbookTable(type)) {
        xlsx::Workbook book = xlsx::writeWorkbook(interchange::planSheets(doc, *table));
        if (!book.error.empty()) {
            sv.message("The workbook cannot be made.\n\n" + book.error, MsgIcon::Critical);
            return false;
        }
        bytes = std::move(book.bytes);
    } else if (type == ExportLeaves) {
        bytes = plan::leavesCsv(doc);
    } else if (type == ExportReport) {
        for (const std::string& line : reportLines())
            bytes += line + "\r\n";
    } else {
        bytes = plan::allocationsCsv(doc, "\r\n");
    }
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
