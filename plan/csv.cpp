#include "plan/csv.h"

#include "net/facts.h"
#include "plan/allocations.h"
#include "textio/csv.h"
#include "textio/escape.h"

namespace mq::plan {

std::vector<FormulaCell> formulaCells(const Plan& plan, const std::vector<BlockId>& blocks,
                                      const std::vector<std::pair<std::string, std::string>>& planWide)
{
    std::vector<FormulaCell> out;
    for (BlockId id : blocks) {
        const Block& b = plan.block(id);
        if (textio::readsAsFormula(b.name))
            out.push_back({id, "name", b.name});
        if (textio::readsAsFormula(b.note))
            out.push_back({id, "note", b.note});
    }
    for (const auto& [field, value] : planWide)
        if (textio::readsAsFormula(value))
            out.push_back({kNoBlock, field, value});
    return out;
}

std::string describe(const Plan& plan, const FormulaCell& cell)
{
    return formulaWarning(cell.block == kNoBlock ? std::string() : net::formatNetwork(plan.block(cell.block).prefix),
                          cell.field, cell.value);
}

std::string formulaWarning(const std::string& where, const std::string& field, const std::string& value)
{
    return (where.empty() ? std::string() : where + ": ") + "a spreadsheet would read the " + field + " \"" +
           textio::escaped(value, textio::kQuotedValue) + "\" as a formula; written as it is";
}

std::vector<std::string> leafCells(const Plan& plan, BlockId id)
{
    const Block& b = plan.block(id);
    const net::Hosts h = net::hostsOf(b.prefix);
    return {b.name, blockStatus(b), b.vlan ? std::to_string(b.vlan) : "", net::formatNetwork(b.prefix),
            net::format(h.first), net::format(h.last), h.broadcast ? net::format(*h.broadcast) : "",
            // 0 too: a segment may ask for a length only
            b.state != BlockState::Free ? net::toDecimal(b.hostsNeeded) : "", net::toDecimal(plan.spareHosts(id)),
            b.note};
}

std::string leavesCsv(const Plan& plan)
{
    std::string out;
    textio::appendCsvRow(out, kLeafColumns, "\r\n");
    for (BlockId id : plan.leaves())
        textio::appendCsvRow(out, leafCells(plan, id), "\r\n", textio::CsvReader::Spreadsheet);
    return out;
}

}  // namespace mq::plan
