#include "interchange/phpipam.h"

#include "interchange/csv.h"
#include "interchange/fields.h"
#include "net/parse.h"
#include "plan/document.h"

namespace mq::interchange {

WriteResult writePhpipamCsv(const std::vector<ExportBlock>& blocks, const PlanValues& values,
                            const ExportOptions& options) {
  WriteResult r;
  if (trimBlanks(values.section).empty()) {
    r.error = "phpIPAM's import needs the name of a section: set the plan's section";
    return r;
  }
  std::string out = "Section,Subnet,Mask,Description,VLAN,Domain,VRF,Customer\r\n";
  std::size_t line = 1;
  for (const ExportBlock& b : blocks) {
    if (b.status == Status::Free && !options.includeFree) continue;
    ++line;
    const std::string item = net::formatNetwork(b.prefix);
    const std::string description = oneLine(b.name.empty() ? b.note : b.name);
    if (description.find_first_of(";'\"") != std::string::npos)
      r.notices.push_back({line, item + ": phpIPAM refuses a description holding ; ' or \" (" + quotedItem(description) + ")"});
    plan::appendCsvField(out, oneLine(values.section));
    out += ',';
    out += item;
    out += ',';
    out += std::to_string(b.prefix.length);
    out += ',';
    plan::appendCsvField(out, description);
    out += ',';
    if (b.vlan) out += std::to_string(*b.vlan);
    out += ',';
    plan::appendCsvField(out, oneLine(values.domain));
    out += ',';
    plan::appendCsvField(out, oneLine(values.vrf));
    out += ',';
    plan::appendCsvField(out, oneLine(values.customer));
    out += "\r\n";
  }
  r.text = std::move(out);
  return r;
}

namespace {

// A mask column: a length ("24") or a dotted IPv4 mask ("255.255.255.0").
std::optional<int> parseMask(std::string_view text, net::Family family) {
  text = trimBlanks(text);
  if (text.empty()) return std::nullopt;
  if (text.find('.') == std::string_view::npos) {
    int v = 0;
    for (char c : text) {
      if (c < '0' || c > '9' || v > 128) return std::nullopt;
      v = v * 10 + (c - '0');
    }
    if (v > net::familyBits(family)) return std::nullopt;
    return v;
  }
  if (family != net::Family::V4) return std::nullopt;
  auto parsed = net::parseInput(std::string("0.0.0.0 ") + std::string(text));
  if (auto* in = std::get_if<net::Input>(&parsed); in && in->kind == net::Input::Kind::Prefix) return in->prefix.length;
  return std::nullopt;
}

}  // namespace

ReadResult readPhpipamCsv(std::string_view text) {
  ReadResult r;
  std::string_view first = text.substr(0, text.find('\n'));
  const char separator = first.find(',') == std::string_view::npos && first.find(';') != std::string_view::npos ? ';' : ',';
  CsvTable table = readCsv(text, separator);
  if (!table.error.empty()) {
    r.error = table.error;
    return r;
  }
  if (table.records.empty()) {
    r.error = "the file is empty: a header line with a \"Subnet\" column is expected";
    return r;
  }
  const CsvRecord& header = table.records.front();
  const std::size_t cSubnet = csvColumn(header, "subnet");
  if (cSubnet == std::string::npos) {
    r.error = "line " + std::to_string(header.line) + ": the header has no \"Subnet\" column";
    return r;
  }
  const std::size_t cSection = csvColumn(header, "section"), cMask = csvColumn(header, "mask"),
                    cDescription = csvColumn(header, "description"), cVlan = csvColumn(header, "vlan"),
                    cDomain = csvColumn(header, "domain"), cVrf = csvColumn(header, "vrf"),
                    cCustomer = csvColumn(header, "customer");
  for (std::size_t i = 1; i < table.records.size(); ++i) {
    const CsvRecord& rec = table.records[i];
    auto field = [&](std::size_t c) -> std::string_view {
      return c < rec.fields.size() ? trimBlanks(rec.fields[c]) : std::string_view();
    };
    auto notice = [&](std::string text) { r.notices.push_back({rec.line, std::move(text)}); };
    std::string subnet(field(cSubnet));
    if (subnet.find('/') == std::string::npos) {
      // The mask in its own column: as a length, or dotted.
      auto address = net::parseAddress(subnet);
      const net::Family family = std::holds_alternative<net::Address>(address) ? std::get<net::Address>(address).family : net::Family::V4;
      auto mask = parseMask(field(cMask), family);
      if (!mask) {
        notice(quotedItem(subnet) + ": no mask in the Subnet or Mask column (" + quotedItem(field(cMask)) + "); the row is left out");
        continue;
      }
      subnet += "/" + std::to_string(*mask);
    }
    ExportBlock b;
    b.line = rec.line;
    b.status = Status::Active;
    bool cleared = false;
    if (std::string why = parsePrefixField(subnet, b.prefix, &cleared); !why.empty()) {
      notice(quotedItem(subnet) + ": " + why + "; the row is left out");
      continue;
    }
    const std::string item = net::formatNetwork(b.prefix);
    if (cleared) notice(quotedItem(subnet) + ": host bits cleared, read as " + item);
    bool cut = false;
    b.name = asName(field(cDescription), &cut);
    if (cut) {
      notice(item + ": the description is longer than a name may be; the whole text is kept in the note");
      b.note = std::string(field(cDescription));
    }
    std::string_view vlan = field(cVlan);
    if (vlan == "na" || vlan == "NA" || vlan == "n/a" || vlan == "N/A") vlan = {};
    bool badVlan = false;
    b.vlan = parseVlanField(vlan, &badVlan);
    if (badVlan) notice(item + ": VLAN " + quotedItem(vlan) + " is not a VLAN ID from 1 to 4094; left out");
    if (r.values.section.empty()) r.values.section = field(cSection);
    if (r.values.domain.empty()) r.values.domain = field(cDomain);
    if (r.values.vrf.empty()) r.values.vrf = field(cVrf);
    if (r.values.customer.empty()) r.values.customer = field(cCustomer);
    r.blocks.push_back(std::move(b));
  }
  return r;
}

}  // namespace mq::interchange
