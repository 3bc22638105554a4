// The planner's imports from other tools' files into the open plan (or into a new plan in
// its place), each as one undoable change; refused items and reader notices are listed.
#pragma once

#include "interchange/hosts_io.h"
#include "interchange/plan_adapter.h"
#include "interchange/records.h"
#include "plan/plan.h"
#include "planner/plan_files.h"
#include "planner/plan_session.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mq::planner {

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

class PlanImports {
public:
    // New plans made by an import take the place of the open one through files.
    PlanImports(PlanSession& session, PlanFiles& files);

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

private:
    bool placeImport(interchange::ImportRead read, const std::string& source, bool asNewPlan,
                     const ItemPlaces& places = {});
    bool placeHosts(const interchange::HostRead& read, const std::string& source, const ItemPlaces& places);
    bool importDroppedWorkbook(const std::string& fileName);
    // A sheet read as `format`, or as the table its first row names when none is given.
    bool importSheet(std::optional<interchange::Format> format, const std::string& fileName, const std::string& sheet,
                     bool asNewPlan);

    PlanSession& session;
    PlanFiles& files;
    PlannerServices& sv;
    const plan::Plan& doc;
    std::vector<std::string> importNotes;
};

}  // namespace mq::planner
