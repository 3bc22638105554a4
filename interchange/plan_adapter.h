#pragma once
// Between a plan and what the interchange formats carry: the values a plan keeps for an
// IPAM, and blocks read from a file turned into items of the plan's import.
#include <cstdio>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

#include "interchange/blocks.h"
#include "interchange/records.h"
#include "plan/import.h"

namespace mq::interchange {

// The plan's IPAM values and cloud mode, as the writers take them.
PlanValues valuesOf(const plan::Plan& plan);
// The values read from a file kept in the plan: those given replace the plan's (tags when
// any are given); the cloud mode when it is not None.
void keepValues(plan::Plan& plan, const PlanValues& values);

// Blocks read from a file as items to import: a container stays a container (split), a
// leaf keeps its state (a deprecated one is reserved); lines kept.
std::vector<plan::ImportItem> importItemsOf(const std::vector<FlatBlock>& blocks);

// The formats a plan goes out in and comes in from (List: prefix[, name[, note]] lines;
// Csv: the plan's leaves as this program writes them, out only).
enum class Format : std::uint8_t { Netbox, Phpipam, VscJson, VscLink, List, Csv };
// "netbox", "phpipam", "vsc-json", "vsc-link", "list", "csv"; nullopt for anything else.
std::optional<Format> parseFormat(std::string_view key);

// A plan in a format. values: the plan's own (valuesOf) with whatever the user changed.
// visualsubnetcalc takes the first IPv4 root's tree (a notice names the roots left out);
// refused when the plan has no IPv4 root. List is refused: it is an input format.
WriteResult exportPlan(const plan::Plan& plan, Format format, const PlanValues& values,
                       const ExportOptions& options = {});

// A file read for import: the items to hand to plan::checkImport and plan::makeImport, the
// plan-wide values found (keepValues), and what the reader refused or changed by line.
// NetBox and phpIPAM nest prefixes: one holding others of the file becomes a container
// (split, its name and note kept); a list's items may not nest.
struct ImportRead {
    std::vector<plan::ImportItem> items;
    PlanValues values;
    std::vector<textio::Problem> notices;
    std::string error;  // the file as a whole could not be read: nothing to import
};
ImportRead readForImport(Format format, std::string_view text);
// A list read from a file a block at a time (readPrefixList): a line too long is
// refused without being held.
ImportRead readListForImport(std::FILE* in);
// A list, NetBox or phpIPAM table from wherever its records come (a sheet of a workbook),
// read by the same rules; the other formats are refused.
ImportRead readTableForImport(Format format, const RecordSource& source);

// What an import tells the user, in the window and in mqnet alike: each line the reader
// refused or changed, and each item that cannot be placed ("10.0.0.0/24: ...; not
// placed"), together in line order; and which lines were not placed (refused, or left out
// by the reader) and which were placed with a change (host bits cleared, a value dropped).
struct ImportReport {
    std::vector<textio::Problem> notes;
    std::set<std::size_t> notPlaced, changed;
};
ImportReport reportImport(const ImportRead& read, const plan::ImportCheck& check);

}  // namespace mq::interchange
