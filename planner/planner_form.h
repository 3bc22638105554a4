// The network planner window without the window: the open plan, its file, the
// undo history, and what each button, key and menu entry of the window does.
// Every change goes through a plan command, so it can be undone; every file
// and every question goes through PlannerServices.
#pragma once

#include "interchange/hosts_io.h"
#include "interchange/plan_adapter.h"
#include "plan/allocate.h"
#include "plan/commands.h"
#include "plan/file_lock.h"
#include "plan/plan.h"
#include "planner/allocation_run.h"
#include "planner/planner_services.h"
#include "planner/workbook_export.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mq::planner {

// Columns of the tree of blocks.
enum Column { ColName, ColPrefix, ColHosts, ColSpare, ColNote, ColumnCount };
const char* columnTitle(int column);
std::string cellText(const plan::Plan& plan, plan::BlockId id, int column);

inline constexpr std::size_t kRecentPlans = 8;

// The report's line width: a page of 8-point fixed-pitch text across.
inline constexpr std::size_t kReportWidth = 110;

// Largest split offered: 2^16 parts at once.
inline constexpr int kMaxSplitExponent = 16;

class HostsTable;

// How an import names the items of its file in messages: by line, or by a sheet's row.
struct ItemPlaces {
    std::function<std::string(std::size_t)> where = [](std::size_t n) { return "line " + std::to_string(n); };
    const char* unit = "line";
    const char* units = "lines";
    // The places of a sheet's rows: "sheet "Hosts" row 4".
    static ItemPlaces rowsOf(const interchange::RecordSource& sheet) { return {sheet.where, "row", "rows"}; }
};

// A table's records counted to the progress of a read aside; they stop once it is cancelled.
interchange::RecordSource countedRows(interchange::RecordSource rows, const PlannerServices::ReadProgress& progress);

class PlannerForm {
public:
    explicit PlannerForm(PlannerServices& services);

    const plan::Plan& plan() const { return doc; }
    // The window's platform, for the dialogs over this plan that ask their own questions.
    PlannerServices& services() { return sv; }
    const std::string& filePath() const { return path; }
    bool isModified() const { return !history.isClean(); }
    // "Network Planner - office.mqplan*" ("Untitled" before the first save).
    std::string title() const;
    // Goes up on every change of the plan, so views know when to rebuild.
    std::uint64_t revision() const { return rev; }

    // ---- documents
    // New: the save-changes question, then the root block asked for (nothing
    // changes when it is cancelled or cannot be read).
    bool newPlan();
    bool newPlan(const std::string& rootText);
    // New, with the root box filled with a fresh unique local /48 (RFC 4193) to take as it
    // is or add an IPv4 root to.
    bool newUlaPlan();
    bool open();
    bool openFile(const std::string& fileName);  // no question asked
    bool save();
    bool saveAs();
    // The usual question before unsaved changes are lost: true when the window
    // may go (saved, discarded, or nothing to save), false when cancelled.
    bool queryClose();

    // The plans opened or saved last, newest first (at most kRecentPlans).
    std::vector<std::string> recentPlans() const { return sv.recentPlans(); }
    bool openRecent(std::size_t index);
    // The segment list the plan keeps (its last allocation's), as lines for the Allocate
    // panel: what Open puts back there.
    std::string segmentsText() const;

    // ---- out of the window (planner_form_export.cpp)
    // The export dialog: the type chosen decides what is written (the
    // allocations table or the leaves as CSV, or the text report) and the
    // extension added to a name typed without one.
    bool exportFile();
    bool exportTo(const std::string& fileName, int type);
    // The export dialog alone: the file named, with the type's extension added to a name
    // typed without one, and the type chosen; nothing when cancelled.
    std::optional<FileChoice> chooseExport();
    // A workbook type's export in two steps, for a window that makes the workbook elsewhere:
    // the export of this plan (nothing for the other types), which reads it until it has
    // copied it, so nothing may change the plan before job->sourceReleased(); then its end:
    // the file written and the user told, or why not; a cancelled one writes nothing and
    // says nothing.
    std::unique_ptr<WorkbookExport> startWorkbook(const std::string& fileName, int type) const;
    bool finishWorkbook(const WorkbookExport& job);
    // The allocations table as tab-separated text on the clipboard.
    void copyAllocations();
    // The hosts table's rows shown, likewise (planner/hosts_table.cpp).
    void copyHosts(const HostsTable& table);
    // Hosts added at the end of the plan's list, as one undoable change.
    bool addHosts(std::vector<plan::Host> hosts);

    // ---- what may be done to a block, for the window's buttons and menus
    // Split and Assign take a free leaf, Free an assigned one, and Reserve
    // any leaf; Join a block with parts, or a leaf below a root.
    bool canSplit(plan::BlockId id) const;
    bool canAssign(plan::BlockId id) const;
    bool canFree(plan::BlockId id) const;
    bool canJoin(plan::BlockId id) const;
    bool canReserve(plan::BlockId id) const;
    // Reserve's check mark: the block is kept back.
    bool isReserved(plan::BlockId id) const;
    // The block whose parts Join joins: the block itself, or a leaf's parent.
    plan::BlockId joinedBlock(plan::BlockId id) const;

    // ---- editing; a refused change says why in a message and changes nothing
    bool split(plan::BlockId id, int parts);
    // Asks for the number of parts (a power of two).
    bool splitPrompt(plan::BlockId id);
    // A block with parts joins them; a leaf joins its parent's parts.
    bool join(plan::BlockId id);
    bool rename(plan::BlockId id, const std::string& name);
    bool setNote(plan::BlockId id, const std::string& note);
    // Asks for the colour of a block.
    bool chooseColour(plan::BlockId id);
    // An assigned leaf becomes free space (its note stays).
    bool freeBlock(plan::BlockId id);
    // A free leaf is assigned: asks for "name, hosts, note".
    bool assignPrompt(plan::BlockId id);
    bool assign(plan::BlockId id, const std::string& answer);
    // Joins free siblings under the block (the whole plan for a root).
    bool tidy(plan::BlockId id);
    // The plan's sizing rules, as one undoable change.
    bool setSettings(const plan::Settings& settings);
    bool undo();
    bool redo();
    // An edit whose refusal the caller shows itself (the subnet panel's status line): the
    // reason when refused (*what, when given, says what was asked), empty when done.
    std::string apply(std::unique_ptr<plan::Command> cmd, std::string* what = nullptr);
    bool canUndo() const { return history.canUndo(); }
    bool canRedo() const { return history.canRedo(); }
    std::string undoText() const;
    std::string redoText() const;

    // ---- the Allocate panel (planner_form_allocation.cpp)
    // Places the typed segments into the free space of `within` as one change.
    // Lines that cannot be read are listed in allocationLines and the others
    // are still placed; false when nothing could be placed.
    bool allocate(plan::BlockId within, const std::string& segmentsText);
    // The same in two steps, for a window that runs the slow one elsewhere:
    // the run reads this plan until it has copied it, so nothing may change
    // the plan before run->sourceReleased().
    std::unique_ptr<AllocationRun> startAllocation(plan::BlockId selected, std::string segmentsText) const;
    // Takes a finished run's result in; a cancelled run, or one started on a
    // plan that has changed since, changes nothing and returns false.
    bool finishAllocation(AllocationRun& run);
    // Where segments go with this block selected: the block itself, or its
    // root when it is a leaf already assigned.
    plan::BlockId allocationTarget(plan::BlockId selected) const;
    // The target, and in a dual-stack plan the first root of the other family.
    std::vector<plan::BlockId> allocationTargets(plan::BlockId selected) const;
    // One line per segment placed, not placed, or not read; after Undo or
    // Redo, the lines of the allocation that made the plan shown (none when
    // the last change was not an allocation).
    const std::vector<std::string>& allocationLines() const { return allocLines; }
    // Line i says what was not read or not placed (shown as a warning).
    bool allocationLineRefuses(std::size_t i) const;
    // The blocks the last allocation made, for the window to select.
    const std::vector<plan::BlockId>& allocatedBlocks() const { return allocIds; }

    // ---- other tools' files (planner_interchange.cpp)
    // Import in-use prefixes: a list or CSV of "prefix[, name[, note]]" lines
    // from a file (asked for) or pasted, placed as assigned blocks in one
    // undoable change. Items that overlap each other, lie outside the roots or
    // cannot be read are listed with their lines and not placed.
    bool importInUseFile();
    bool importInUsePaste();
    bool importInUse(const std::string& text, const std::string& source);
    // A NetBox or phpIPAM CSV, a visualsubnetcalc JSON (from a file) or share
    // link (pasted): into this plan as one change, or as a new plan whose roots
    // are asked (offered: the outermost prefixes read). importText asks no
    // question before a new plan replaces this one, as openFile.
    bool importFormatFile(interchange::Format format, bool asNewPlan);
    bool importLinkPaste(bool asNewPlan);
    bool importText(interchange::Format format, const std::string& text, const std::string& source, bool asNewPlan);
    // The same imports, from a file named (a file dropped on the window).
    bool importFile(interchange::Format format, const std::string& fileName, bool asNewPlan);
    // Dropped on the window, into this plan as the Import menu does: a file whose
    // format is told by its name and first line (a visualsubnetcalc JSON, a phpIPAM or
    // NetBox CSV, else in-use prefixes); a text that is a visualsubnetcalc link, else
    // in-use prefixes.
    bool importDroppedFile(const std::string& fileName);
    bool importDroppedText(const std::string& text);
    // The share link of the plan's first IPv4 root on the clipboard.
    bool copyVscLink();
    // The values handed to an IPAM with every prefix, through a small dialog.
    bool editIpamValues();
    bool setIpamValues(const plan::IpamValues& values);
    // A leaf kept back: marked reserved (a free one is assigned on the way),
    // or with false, the mark taken off.
    bool reserve(plan::BlockId id, bool reserved = true);
    // The public cloud whose address rules the IPv4 blocks follow.
    bool setCloudMode(plan::CloudMode mode);
    // The plan's subnet rules (gateway, kept, DHCP ranges, IPv6), through the Subnet rules
    // dialog, as one undoable change (planner/subnet_rules.cpp).
    bool editSubnetRules();
    bool setLayoutRules(const plan::LayoutRules& rules);
    // Hosts (and NetBox's IP ranges) from a file (asked for) into the blocks that hold
    // them, as one undoable change; refused rows are listed with their lines.
    bool importHostsFile(interchange::HostFormat format);
    bool importHosts(interchange::HostFormat format, const std::string& text, const std::string& source);
    // A workbook (*.xlsx, or a file starting with the zip signature) is read from one sheet:
    // its only one, else the one the user picks (the first offered). Nothing when the choice
    // is cancelled or the file cannot be read as a workbook (said).
    bool isWorkbook(const std::string& fileName);
    std::optional<std::string> pickSheet(const std::string& fileName);
    // Refused items and reader notices of the last import, one line each.
    const std::vector<std::string>& importLines() const { return importNotes; }

    // ---- report of the main window's Save and Print (planner_form_report.cpp):
    // the allocations and the blocks as tables of fixed-pitch text at most
    // `width` characters wide (wrapping names and notes)
    std::vector<std::string> reportLines(std::size_t width = kReportWidth) const;

private:
    bool confirmDiscard();
    bool askNewPlan(const std::string& suggested);
    void remember(const std::string& fileName);
    bool run(std::unique_ptr<plan::Command> cmd);
    bool writeTo(const std::string& fileName);
    void replace(plan::Plan next, const std::string& fileName);
    void changed() { ++rev; }

    PlannerServices& sv;
    plan::Plan doc;
    plan::History history;
    std::string path;
    // The file at path as this window last read or wrote it: a save over a file another
    // program changed since asks first.
    std::optional<plan::FileStamp> pathStamp;
    std::uint64_t rev = 0;
    std::vector<std::string> allocLines;
    std::vector<std::size_t> allocRefused;  // which of them, in order
    // The result lines shown at each point of the history, so Undo and Redo
    // bring back the list that belongs to the plan shown.
    std::size_t applied = 0;
    struct ShownLines {
        std::size_t at;
        std::vector<std::string> lines;
        std::vector<std::size_t> refused;
    };
    std::vector<ShownLines> linesAt;
    void showLinesOf(std::size_t at);
    std::vector<plan::BlockId> allocIds;
    std::vector<std::string> importNotes;
    // The VLAN field of Assign's answer: "vlan 10" gives 10, a note 0, a bad ID
    // nothing (with a message).
    std::optional<int> vlanField(const std::string& rest);
    // The plan of these roots ("10.0.0.0/8, 2001:db8::/32"); nothing, with a
    // message, when one cannot be read.
    std::optional<plan::Plan> planOfRoots(const std::string& rootText);
    bool placeImport(interchange::ImportRead read, const std::string& source, bool asNewPlan,
                     const ItemPlaces& places = {});
    bool placeHosts(const interchange::HostRead& read, const std::string& source, const ItemPlaces& places);
    bool importDroppedWorkbook(const std::string& fileName);
    // A sheet read as `format`, or as the table its first row names when none is given.
    bool importSheet(std::optional<interchange::Format> format, const std::string& fileName, const std::string& sheet,
                     bool asNewPlan);
    bool exportInterchange(const std::string& fileName, interchange::Format format);
    bool exportHostFile(const std::string& fileName, interchange::HostExport what);
    // The bytes through the atomic writer, and the user told where they went or why not.
    bool writeExport(const std::string& fileName, const std::string& bytes);
    bool hasSection();
};

// The default root block of a new window.
plan::Plan defaultPlan();
// "10.0.0.0/8" of a block, "2001:db8::/32".
std::string prefixText(const net::Prefix& p);
// "servers 10.0.0.0/24", or only the prefix when the block has no name.
std::string blockTitle(const plan::Block& block);
// "1 leaf", "2 leaves".
std::string countText(std::size_t n, const char* one, const char* many);
// The leaves of every root of the plan, whichever root is shown.
std::size_t leafCount(const plan::Plan& plan);
// The window's status line: "12 blocks, 7 leaves; selected servers 10.0.0.0/24"; leaves is
// leafCount(plan), passed in so that a window counts once per change, not per selection.
std::string summaryText(const plan::Plan& plan, std::size_t leaves, plan::BlockId selected);
// 1 2 4 ... of a text, or 0 when it is not a power of two from 2 to 2^16.
int partsOf(const std::string& text);

}  // namespace mq::planner
