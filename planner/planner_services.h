// What the network planner's logic asks of the platform: messages, the
// "save changes?" question, file dialogs, prompts and file access. The window
// does it with Qt dialogs and the one atomic file writer; the tests with a scripted fake.
#pragma once

#include "core/services.h"
#include "interchange/records.h"
#include "plan/plan.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mq::planner {

inline constexpr const char* kPlannerTitle = "Network Planner";
inline constexpr const char* kPlanFilter = "Network plans (*.mqplan)|*.mqplan|All files (*)|*|";

inline constexpr const char* kExportFilter =
    "Allocations as CSV (*.csv)|*.csv|Leaves as CSV (*.csv)|*.csv|Report as text (*.txt)|*.txt|"
    "NetBox prefixes CSV (*.csv)|*.csv|phpIPAM subnets CSV (*.csv)|*.csv|visualsubnetcalc JSON (*.json)|*.json|"
    "Subnets with gateways and ranges as CSV (*.csv)|*.csv|Hosts as CSV (*.csv)|*.csv|"
    "NetBox IP addresses CSV (*.csv)|*.csv|NetBox IP ranges CSV (*.csv)|*.csv|"
    "phpIPAM IP addresses CSV (*.csv)|*.csv|Hosts file lines (*.txt)|*.txt|"
    "The plan's tables as a workbook (*.xlsx)|*.xlsx|Allocations as a workbook (*.xlsx)|*.xlsx|"
    "Leaves as a workbook (*.xlsx)|*.xlsx|Subnets with gateways and ranges as a workbook (*.xlsx)|*.xlsx|"
    "Hosts as a workbook (*.xlsx)|*.xlsx|";
// The file types of kExportFilter, in its order.
enum ExportType {
    ExportAllocations,
    ExportLeaves,
    ExportReport,
    ExportNetbox,
    ExportPhpipam,
    ExportVscJson,
    ExportSubnets,
    ExportHosts,
    ExportNetboxAddresses,
    ExportNetboxRanges,
    ExportPhpipamAddresses,
    ExportEtcHosts,
    ExportWorkbook,  // allocations, leaves, subnets and hosts, a sheet each
    // One table each, as a workbook: the cells of its CSV type above.
    ExportAllocationsWorkbook,
    ExportLeavesWorkbook,
    ExportSubnetsWorkbook,
    ExportHostsWorkbook
};

inline constexpr const char* kImportListFilter =
    "Prefix lists (*.txt *.csv *.lst)|*.txt;*.csv;*.lst|Workbooks (*.xlsx)|*.xlsx|All files (*)|*|";
// The tables of other tools: NetBox's and phpIPAM's CSV, and the same in a workbook.
inline constexpr const char* kImportTableFilter = "CSV files (*.csv)|*.csv|Workbooks (*.xlsx)|*.xlsx|All files (*)|*|";

// Why a file or its content did not fit in memory, as the window says it.
inline constexpr const char* kNoMemoryToRead = "There is not enough memory to read it.";

enum class Answer { Yes, No, Cancel };

// A file named in a Save dialog and the file type chosen there (an index into
// the filter's pairs; -1 when the dialog does not tell).
struct FileChoice {
    std::string path;
    int type = -1;
};

class PlannerServices {
public:
    virtual ~PlannerServices() = default;
    // Modal message with an OK button, titled "Network Planner".
    virtual void message(const std::string& text, MsgIcon icon) = 0;
    // Yes / No / Cancel, titled "Network Planner".
    virtual Answer ask(const std::string& question) = 0;
    // Apply / Discard / Cancel, titled "Network Planner", before a dialog with settings typed
    // and not applied closes: Yes applies them, No throws them away.
    virtual Answer askApply(const std::string& question) { return ask(question); }
    // The typed text, or nothing when cancelled.
    virtual std::optional<std::string> prompt(const std::string& text, const std::string& defaultText) = 0;
    virtual std::optional<std::string> openFileDialog(const std::string& filter) = 0;
    virtual std::optional<std::string> saveFileDialog(const std::string& filter, const std::string& suggested) = 0;
    // The whole file; on failure error holds the system's reason.
    virtual bool readFile(const std::string& path, std::string& bytes, std::string& error) = 0;
    // A list to read a line at a time through the one line reader, so that a long
    // line costs no more than the reader's limit; opened as readFile opens a file.
    // Nothing when it cannot be opened, with error the reason; closed with std::fclose.
    virtual std::FILE* openList(const std::string& path, std::string& error) = 0;
    // Atomic: the old file stays as it was unless every byte reached the new one.
    virtual bool writeFile(const std::string& path, const std::string& bytes, std::string& error) = 0;
    // The Save dialog of an export, telling the type chosen.
    virtual std::optional<FileChoice> exportFileDialog(const std::string& filter, const std::string& suggested) = 0;
    // A colour dialog opened at rgb (0xRRGGBB); nothing when cancelled.
    virtual std::optional<std::uint32_t> chooseColour(std::uint32_t rgb) = 0;
    virtual void setClipboard(const std::string& text) = 0;
    // The plans opened or saved last, newest first, kept across sessions.
    virtual std::vector<std::string> recentPlans() = 0;
    virtual void setRecentPlans(const std::vector<std::string>& paths) = 0;
    // A box to paste or type many lines into (a list of prefixes, a share link);
    // nothing when cancelled.
    virtual std::optional<std::string> pasteText(const std::string& title, const std::string& hint) = 0;
    // The plan's values for an IPAM (tenant, role, VRF, tags, section, domain,
    // customer) in a small dialog; nothing when cancelled.
    virtual std::optional<plan::IpamValues> editIpamValues(const plan::IpamValues& values) = 0;
    // The plan's subnet rules in the Subnet rules dialog, which says what the cloud mode
    // fixes; nothing when cancelled.
    virtual std::optional<plan::LayoutRules> editLayoutRules(const plan::LayoutRules& rules, plan::CloudMode cloud) = 0;
    // A workbook (.xlsx): the names of its sheets in their order (empty, with error the
    // reason, when the file cannot be read as one); a sheet's rows as the table readers take
    // them, named by sheet and row; and which of several sheets to read, the first offered
    // (nothing when cancelled).
    virtual std::vector<std::string> sheetNames(const std::string& path, std::string& error) = 0;
    virtual interchange::RecordSource sheetRecords(const std::string& path, const std::string& sheet) = 0;
    virtual std::optional<std::string> chooseSheet(const std::string& file, const std::vector<std::string>& sheets) = 0;
    // Reads a file while the window says "Reading FILE..." with the rows read so far and
    // offers Cancel: `read` runs off the window's thread and touches no plan; it tells the
    // rows it has read through its argument, which answers false once the user cancelled (the
    // read then stops). False when cancelled: what was read is thrown away. The window stays
    // modal meanwhile, so nothing changes the plan under the read. Here the read runs at once.
    using ReadProgress = std::function<bool(std::size_t rows)>;
    virtual bool readAside(const std::string& file, const std::function<void(const ReadProgress&)>& read)
    {
        (void)file;
        read([](std::size_t) { return true; });
        return true;
    }
};

}  // namespace mq::planner
