#include "plan/csv.h"

#include "net/facts.h"
#include "plan/allocations.h"
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

std::string leavesCsv(const Plan& plan)
{
    std::string out = "name,status,vlan,prefix,first,last,broadcast,hosts,spare,note\r\n";
    for (BlockId id : plan.leaves()) {
        const Block& b = plan.block(id);
        const net::Hosts h = net::hostsOf(b.prefix);
        appendCsvField(out, b.name, CsvReader::Spreadsheet);
        out += ',';
        out += blockStatus(b);
        out += ',';
        if (b.vlan)
            out += std::to_string(b.vlan);
        out += ',';
        out += net::formatNetwork(b.prefix);
        out += ',';
        net::appendFormat(out, h.first);
        out += ',';
        net::appendFormat(out, h.last);
        out += ',';
        if (h.broadcast)
            net::appendFormat(out, *h.broadcast);
        out += ',';
        if (b.state != BlockState::Free)
            net::appendDecimal(out, b.hostsNeeded);  // 0 too: a segment may ask for a length only
        out += ',';
        out += net::toDecimal(plan.spareHosts(id));
        out += ',';
        appendCsvField(out, b.note, CsvReader::Spreadsheet);
        out += "\r\n";
    }
    return out;
}

}  // namespace mq::plan
