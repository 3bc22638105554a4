#include "interchange/netbox.h"

#include <cctype>

#include "interchange/csv.h"
#include "interchange/fields.h"
#include "plan/document.h"

namespace mq::interchange {

namespace {

const char* statusText(Status s) {
  switch (s) {
    case Status::Container: return "container";
    case Status::Active: return "active";
    case Status::Deprecated: return "deprecated";
    case Status::Reserved:
    case Status::Free: break;
  }
  return "reserved";
}

std::optional<Status> parseStatus(std::string_view text) {
  std::string s;
  for (char c : trimBlanks(text)) s += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (s == "container") return Status::Container;
  if (s == "active") return Status::Active;
  if (s == "reserved") return Status::Reserved;
  if (s == "deprecated") return Status::Deprecated;
  return std::nullopt;
}

std::vector<std::string> splitTags(std::string_view text) {
  std::vector<std::string> tags;
  std::size_t from = 0;
  while (from <= text.size()) {
    const std::size_t comma = text.find(',', from);
    const std::string_view tag = trimBlanks(text.substr(from, comma == std::string_view::npos ? std::string_view::npos : comma - from));
    if (!tag.empty()) tags.emplace_back(tag);
    if (comma == std::string_view::npos) break;
    from = comma + 1;
  }
  return tags;
}

}  // namespace

WriteResult writeNetboxCsv(const std::vector<ExportBlock>& blocks, const PlanValues& values,
                           const ExportOptions& options) {
  WriteResult r;
  std::string tags;
  for (const std::string& t : values.tags) {
    if (!tags.empty()) tags += ',';
    tags += t;
  }
  std::string& out = r.text;
  out = "prefix,status,description,vlan,tenant,role,vrf,is_pool,comments,tags\r\n";
  for (const ExportBlock& b : blocks) {
    if (b.status == Status::Free && !options.includeFree) continue;
    out += net::formatNetwork(b.prefix);
    out += ',';
    out += statusText(b.status);
    out += ',';
    plan::appendCsvField(out, b.name);
    out += ',';
    if (b.vlan) out += std::to_string(*b.vlan);
    out += ',';
    plan::appendCsvField(out, values.tenant);
    out += ',';
    plan::appendCsvField(out, values.role);
    out += ',';
    plan::appendCsvField(out, values.vrf);
    out += ",false,";
    plan::appendCsvField(out, b.note);
    out += ',';
    plan::appendCsvField(out, tags);
    out += "\r\n";
  }
  return r;
}

ReadResult readNetboxCsv(std::string_view text) {
  ReadResult r;
  CsvTable table = readCsv(text);
  if (!table.error.empty()) {
    r.error = table.error;
    return r;
  }
  if (table.records.empty()) {
    r.error = "the file is empty: a header line with a \"prefix\" column is expected";
    return r;
  }
  const CsvRecord& header = table.records.front();
  const std::size_t cPrefix = csvColumn(header, "prefix");
  if (cPrefix == std::string::npos) {
    r.error = "line " + std::to_string(header.line) + ": the header has no \"prefix\" column";
    return r;
  }
  const std::size_t cStatus = csvColumn(header, "status"), cDescription = csvColumn(header, "description"),
                    cVlan = csvColumn(header, "vlan"), cComments = csvColumn(header, "comments"),
                    cTenant = csvColumn(header, "tenant"), cRole = csvColumn(header, "role"),
                    cVrf = csvColumn(header, "vrf"), cTags = csvColumn(header, "tags");
  for (std::size_t i = 1; i < table.records.size(); ++i) {
    const CsvRecord& rec = table.records[i];
    auto field = [&](std::size_t c) -> std::string_view {
      return c < rec.fields.size() ? std::string_view(rec.fields[c]) : std::string_view();
    };
    auto notice = [&](std::string text) { r.notices.push_back({rec.line, std::move(text)}); };
    ExportBlock b;
    b.line = rec.line;
    bool cleared = false;
    if (std::string why = parsePrefixField(field(cPrefix), b.prefix, &cleared); !why.empty()) {
      notice(quotedItem(field(cPrefix)) + ": " + why + "; the row is left out");
      continue;
    }
    const std::string item = net::formatNetwork(b.prefix);
    if (cleared) notice(quotedItem(field(cPrefix)) + ": host bits cleared, read as " + item);
    if (cStatus != std::string::npos && !trimBlanks(field(cStatus)).empty()) {
      if (auto s = parseStatus(field(cStatus))) {
        b.status = *s;
      } else {
        notice(item + ": status " + quotedItem(field(cStatus)) + " is not container, active, reserved or deprecated; read as active");
      }
    }
    bool cut = false;
    b.name = asName(field(cDescription), &cut);
    b.note = std::string(field(cComments));
    if (cut) {
      notice(item + ": the description is longer than a name may be; the whole text is kept in the note");
      b.note = b.note.empty() ? std::string(field(cDescription)) : std::string(field(cDescription)) + "\n" + b.note;
    }
    // NetBox's own export names a VLAN as "Staff (110)": the ID is in the brackets.
    std::string_view vlan = trimBlanks(field(cVlan));
    if (vlan.ends_with(')') && vlan.rfind('(') != std::string_view::npos)
      vlan = vlan.substr(vlan.rfind('(') + 1, vlan.size() - vlan.rfind('(') - 2);
    bool badVlan = false;
    b.vlan = parseVlanField(vlan, &badVlan);
    if (badVlan) notice(item + ": VLAN " + quotedItem(field(cVlan)) + " is not a VLAN ID from 1 to 4094; left out");
    if (r.values.tenant.empty()) r.values.tenant = trimBlanks(field(cTenant));
    if (r.values.role.empty()) r.values.role = trimBlanks(field(cRole));
    if (r.values.vrf.empty()) r.values.vrf = trimBlanks(field(cVrf));
    if (r.values.tags.empty()) r.values.tags = splitTags(field(cTags));
    r.blocks.push_back(std::move(b));
  }
  return r;
}

}  // namespace mq::interchange
