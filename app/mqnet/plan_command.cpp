// mqnet plan allocate: the segments of a file placed into a root block, as text for people,
// JSON or CSV for scripts.
#include "app/mqnet/plan_command.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

#include "net/parse.h"
#include "plan/allocate.h"
#include "plan/document.h"
#include "plan/json.h"

namespace mq::mqnet {

namespace {

constexpr int kOk = 0, kOutputFailed = 1, kBadInput = 2, kNotPlaced = 3;

const char* const kPlanUsage =
    "usage: mqnet plan allocate [--json | --csv [--header]] ROOT SEGMENTS-FILE\n"
    "  Places segments into ROOT (a prefix of either family, 10.0.0.0/8 or 2001:db8::/32):\n"
    "  largest first, entry order among equals, each at the lowest free aligned place.\n"
    "  SEGMENTS-FILE (- for standard input) has one segment a line:\n"
    "    name, hosts[, growth%[, /len]]      (# comments and blank lines skipped)\n"
    "  A segment takes the smallest block holding hosts x (1 + growth), plus network and\n"
    "  broadcast for IPv4; /len asks for that length instead.\n"
    "  --csv columns: name,prefix,first,last,broadcast,hosts,spare,reason (LF line ends).\n"
    "  Exit status: 0 all placed, 3 some did not fit, 2 bad input, 1 output failed.\n";

void fault(std::ostream& err, const std::string& where, const std::string& what) {
  err << "mqnet: " << where << ": " << what << '\n';
}

std::string text(const std::optional<net::u128>& v) { return v ? net::toDecimal(*v) : "more than 2^128 - 1"; }

void writeText(std::ostream& out, const std::vector<plan::Placement>& ps) {
  std::vector<std::vector<std::string>> rows{{"name", "prefix", "first", "last", "hosts", "needed", "spare"}};
  for (const auto& p : ps) {
    if (!p.prefix) continue;
    rows.push_back({p.name, net::formatNetwork(*p.prefix), net::format(p.first), net::format(p.last),
                    net::toDecimal(p.hosts), text(p.needed), net::toDecimal(p.spare)});
  }
  std::vector<std::size_t> width(rows[0].size(), 0);
  for (const auto& r : rows)
    for (std::size_t c = 0; c < r.size(); ++c) width[c] = std::max(width[c], r[c].size());
  std::string line;
  for (const auto& r : rows) {
    line.clear();
    for (std::size_t c = 0; c < r.size(); ++c) {
      line += r[c];
      if (c + 1 < r.size()) line.append(width[c] - r[c].size() + 2, ' ');
    }
    out << line << '\n';
  }
  for (const auto& p : ps)
    if (!p.prefix) out << p.name << ": did not fit: " << p.reason << '\n';
}

void appendNullable(std::string& out, const char* key, const std::optional<std::string>& v) {
  out += ", \"";
  out += key;
  out += "\": ";
  if (v) {
    plan::json::appendString(out, *v);
  } else {
    out += "null";
  }
}

void writeJson(std::ostream& out, const net::Prefix& root, const std::vector<plan::Placement>& ps) {
  std::string s = "{\"root\": {\"network\": \"" + net::format(root.address) + "\", \"prefix\": " +
                  std::to_string(root.length) + "}, \"segments\": [";
  for (std::size_t i = 0; i < ps.size(); ++i) {
    const auto& p = ps[i];
    s += i ? ",\n  {\"name\": " : "\n  {\"name\": ";
    plan::json::appendString(s, p.name);
    s += ", \"hosts\": \"" + net::toDecimal(p.hosts) + "\"";
    appendNullable(s, "needed", p.needed ? std::optional(net::toDecimal(*p.needed)) : std::nullopt);
    s += p.prefix ? ", \"placed\": true" : ", \"placed\": false";
    auto some = [&](auto f) { return p.prefix ? std::optional<std::string>(f()) : std::nullopt; };
    appendNullable(s, "network", some([&] { return net::format(p.prefix->address); }));
    s += ", \"prefix\": " + (p.prefix ? std::to_string(p.prefix->length) : std::string("null"));
    appendNullable(s, "first", some([&] { return net::format(p.first); }));
    appendNullable(s, "last", some([&] { return net::format(p.last); }));
    appendNullable(s, "broadcast", p.broadcast ? std::optional(net::format(*p.broadcast)) : std::nullopt);
    appendNullable(s, "spare", some([&] { return net::toDecimal(p.spare); }));
    appendNullable(s, "reason", p.prefix ? std::nullopt : std::optional(p.reason));
    s += ", \"largest_free\": ";
    if (p.largestFree) {
      s += "{\"network\": \"" + net::format(p.largestFree->address) + "\", \"prefix\": " +
           std::to_string(p.largestFree->length) + "}";
    } else {
      s += "null";
    }
    s += "}";
  }
  s += ps.empty() ? "]}\n" : "\n]}\n";
  out << s;
}

void writeCsv(std::ostream& out, const std::vector<plan::Placement>& ps, bool header) {
  std::string s = header ? "name,prefix,first,last,broadcast,hosts,spare,reason\n" : "";
  for (const auto& p : ps) {
    plan::appendCsvField(s, p.name);
    s += ',';
    if (p.prefix) {
      s += net::formatNetwork(*p.prefix) + ',' + net::format(p.first) + ',' + net::format(p.last) + ',';
      if (p.broadcast) s += net::format(*p.broadcast);
      s += ',' + net::toDecimal(p.hosts) + ',' + net::toDecimal(p.spare) + ",\n";
    } else {
      s += ",,,," + net::toDecimal(p.hosts) + ",,";
      plan::appendCsvField(s, p.reason);
      s += '\n';
    }
  }
  out << s;
}

std::optional<net::Prefix> readRoot(const std::string& arg, std::ostream& err) {
  const auto r = net::parseInput(arg);
  if (const auto* e = std::get_if<net::ParseError>(&r)) {
    fault(err, "plan allocate", "ROOT " + net::describe(arg, *e));
    return std::nullopt;
  }
  const net::Input& in = std::get<net::Input>(r);
  if (in.kind == net::Input::Kind::Range) {
    fault(err, "plan allocate", "ROOT " + arg + " is a range; give a prefix such as 10.0.0.0/8");
    return std::nullopt;
  }
  if (in.prefix.address != in.prefix.network()) {
    fault(err, "plan allocate", "ROOT " + arg + " has host bits set; did you mean " + net::formatNetwork(in.prefix) + "?");
    return std::nullopt;
  }
  return in.prefix;
}

}  // namespace

int planCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  bool json = false, csv = false, header = false;
  std::vector<std::string> positional;
  for (const auto& a : args) {
    if (a == "--help" || a == "-h") {
      out << kPlanUsage;
      return out ? kOk : kOutputFailed;
    }
    if (a == "--json") json = true;
    else if (a == "--csv") csv = true;
    else if (a == "--header") header = true;
    else if (a.size() > 1 && a[0] == '-' && a != "-") {
      fault(err, "plan", "unknown option " + a + " (mqnet plan --help)");
      return kBadInput;
    } else positional.push_back(a);
  }
  if (positional.empty() || positional[0] != "allocate") {
    fault(err, "plan", positional.empty() ? "which plan command? (mqnet plan --help)"
                                          : "unknown plan command " + positional[0] + " (mqnet plan --help)");
    return kBadInput;
  }
  if (positional.size() != 3 || (json && csv) || (header && !csv)) {
    fault(err, "plan allocate", "takes ROOT SEGMENTS-FILE and one of --json, --csv [--header] (mqnet plan --help)");
    return kBadInput;
  }
  const auto root = readRoot(positional[1], err);
  if (!root) return kBadInput;

  const std::string& file = positional[2];
  const std::string name = file == "-" ? "standard input" : file;
  std::ostringstream content;
  if (file == "-") {
    content << std::cin.rdbuf();
  } else {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      fault(err, "plan allocate", "cannot open " + file + ": " + std::strerror(errno));
      return kBadInput;
    }
    content << in.rdbuf();
    if (in.bad()) {
      fault(err, "plan allocate", "cannot read " + file + ": " + std::strerror(errno));
      return kBadInput;
    }
  }
  const std::string segmentsText = content.str();
  std::vector<plan::SegmentLineError> errors;
  const auto segments = plan::parseSegments(segmentsText, errors);
  if (!errors.empty()) {
    std::vector<std::string_view> lines;  // to name each refused item as it was written
    for (std::string_view rest = segmentsText;;) {
      const auto nl = rest.find('\n');
      lines.push_back(rest.substr(0, nl));
      if (nl == std::string_view::npos) break;
      rest.remove_prefix(nl + 1);
    }
    for (const auto& e : errors) {
      std::string item(lines[e.line - 1]);
      item.erase(0, item.find_first_not_of(" \t"));
      item.erase(item.find_last_not_of(" \t\r") + 1);
      fault(err, name + " line " + std::to_string(e.line), item + ": " + e.reason);
    }
  }

  const plan::Plan plan(*root);
  const auto placements = plan::allocate(plan, plan.root(), segments);
  if (json) writeJson(out, *root, placements);
  else if (csv) writeCsv(out, placements, header);
  else writeText(out, placements);
  out.flush();
  if (!out) {
    fault(err, "plan allocate", "cannot write the output");
    return kOutputFailed;
  }
  if (!errors.empty()) return kBadInput;
  const bool allPlaced = std::all_of(placements.begin(), placements.end(), [](const auto& p) { return p.prefix.has_value(); });
  return allPlaced ? kOk : kNotPlaced;
}

}  // namespace mq::mqnet
