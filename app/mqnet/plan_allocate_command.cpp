// mqnet plan allocate: the segments of a file placed into a root block, as text for people,
// JSON or CSV for scripts.
#include <algorithm>
#include <string>

#include "app/mqnet/command_line.h"
#include "app/mqnet/commands.h"
#include "app/mqnet/list_file.h"
#include "net/parse.h"
#include "plan/allocate.h"
#include "plan/csv.h"
#include "plan/json.h"
#include "plan/segments.h"
#include "textio/escape.h"

namespace mq::mqnet {

namespace {

std::string text(const std::optional<net::u128>& v) { return v ? net::toDecimal(*v) : "more than 2^128 - 1"; }

void writeText(BufferedWriter& out, const std::vector<plan::Placement>& ps) {
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
    line += '\n';
    out.write(line);
  }
  for (const auto& p : ps)
    if (!p.prefix) out.write(p.name + ": did not fit: " + p.reason + "\n");
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

void writeJson(BufferedWriter& out, const net::Prefix& root, const std::vector<plan::Placement>& ps) {
  out.write("{\"root\": {\"network\": \"" + net::format(root.address) +
            "\", \"prefix\": " + std::to_string(root.length) + "}, \"segments\": [");
  std::string s;
  for (std::size_t i = 0; i < ps.size() && !out.failed(); ++i) {
    const auto& p = ps[i];
    s = i ? ",\n  {\"name\": " : "\n  {\"name\": ";
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
      s += "{\"network\": \"" + net::format(p.largestFree->address) +
           "\", \"prefix\": " + std::to_string(p.largestFree->length) + "}";
    } else {
      s += "null";
    }
    s += "}";
    out.write(s);
  }
  out.write(ps.empty() ? "]}\n" : "\n]}\n");
}

void writeCsv(BufferedWriter& out, const std::vector<plan::Placement>& ps, bool header) {
  if (header) out.write("name,prefix,first,last,broadcast,hosts,spare,reason\n");
  std::string s;
  for (const auto& p : ps) {
    if (out.failed()) return;
    s.clear();
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
    out.write(s);
  }
}

std::optional<net::Prefix> readRoot(const Invocation& call, const std::string& arg) {
  const auto r = net::parseInput(arg);
  if (const auto* e = std::get_if<net::ParseError>(&r)) {
    call.refuse("ROOT " + net::describe(arg, *e));
    return std::nullopt;
  }
  const net::Input& in = std::get<net::Input>(r);
  if (in.kind == net::Input::Kind::Range) {
    call.refuse("ROOT " + textio::escaped(arg) + " is a range; give a prefix such as 10.0.0.0/8");
    return std::nullopt;
  }
  if (in.prefix.address != in.prefix.network()) {
    call.refuse("ROOT " + textio::escaped(arg) + " has host bits set; did you mean " + net::formatNetwork(in.prefix) +
                "?");
    return std::nullopt;
  }
  return in.prefix;
}

int runAllocate(const Invocation& call) {
  const Arguments& a = call.args;
  const bool json = a.has("--json"), csv = a.has("--csv");
  if (a.positional.size() != 2) return call.refuse("takes ROOT SEGMENTS-FILE (mqnet plan allocate --help)");
  if (json && csv) return call.refuse("--csv and --json exclude each other");
  if (a.has("--header") && !csv) return call.refuse("--header is for --csv only");
  const auto root = readRoot(call, a.positional[0]);
  if (!root) return kExitBadInput;

  std::vector<plan::Segment> segments;
  const bool read = readListFile(call, a.positional[1], [&](const ListLine& line) {
    plan::Segment seg;
    if (const std::string reason = plan::parseSegmentLine(line.content, seg); !reason.empty())
      line.refuse(reason);
    else
      segments.push_back(std::move(seg));
  });
  if (!read) return kExitBadInput;

  const plan::Plan plan(*root);
  const auto placements = plan::allocate(plan, plan.root(), segments);
  if (json)
    writeJson(call.out, *root, placements);
  else if (csv)
    writeCsv(call.out, placements, a.has("--header"));
  else
    writeText(call.out, placements);
  if (call.faults.refusedItems()) return kExitBadInput;  // outranks a segment that did not fit
  const bool allPlaced =
      std::all_of(placements.begin(), placements.end(), [](const auto& p) { return p.prefix.has_value(); });
  return allPlaced ? kExitOk : kExitNotFound;
}

}  // namespace

const Command kPlanAllocateCommand{
    "plan allocate",
    "[--json | --csv [--header]] ROOT SEGMENTS-FILE",
    "      places the segments of SEGMENTS-FILE (name, hosts[, growth%[, /len]] a line;\n"
    "      - for standard input) into ROOT, largest first at the lowest free aligned place,\n"
    "      as the network planner does; exit status 3 when a segment does not fit\n",
    "      ROOT is a prefix of either family (10.0.0.0/8, 2001:db8::/32). Largest first, entry\n"
    "      order among equals, each at the lowest free aligned place. A segment takes the\n"
    "      smallest block holding hosts x (1 + growth), plus network and broadcast for IPv4;\n"
    "      /len asks for that length instead. Fields are separated by commas or tabs.\n"
    "      --json          the placements as one JSON object\n"
    "      --csv           name,prefix,first,last,broadcast,hosts,spare,reason (LF line ends)\n"
    "      --header        with --csv, a first line naming the columns\n",
    {{{"--json"}, {"--csv"}, {"--header"}}},
    runAllocate,
};

}  // namespace mq::mqnet
