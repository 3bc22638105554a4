#include "plan/csv.h"

#include "net/facts.h"
#include "plan/allocations.h"

namespace mq::plan {

void appendCsvField(std::string& out, std::string_view field) {
  if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
    out += field;
    return;
  }
  out += '"';
  for (char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

std::string leavesCsv(const Plan& plan) {
  std::string out = "name,status,vlan,prefix,first,last,broadcast,hosts,spare,note\r\n";
  for (BlockId id : plan.leaves()) {
    const Block& b = plan.block(id);
    const net::Hosts h = net::hostsOf(b.prefix);
    appendCsvField(out, b.name);
    out += ',';
    out += blockStatus(b);
    out += ',';
    if (b.vlan) out += std::to_string(b.vlan);
    out += ',';
    out += net::formatNetwork(b.prefix);
    out += ',';
    net::appendFormat(out, h.first);
    out += ',';
    net::appendFormat(out, h.last);
    out += ',';
    if (h.broadcast) net::appendFormat(out, *h.broadcast);
    out += ',';
    if (b.assigned) net::appendDecimal(out, b.hostsNeeded);  // 0 too: a segment may ask for a length only
    out += ',';
    out += net::toDecimal(plan.spareHosts(id));
    out += ',';
    appendCsvField(out, b.note);
    out += "\r\n";
  }
  return out;
}

}  // namespace mq::plan
