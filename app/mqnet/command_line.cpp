#include "app/mqnet/command_line.h"

#include <algorithm>

#include "net/summarize.h"

namespace mq::mqnet {

const char* const kUsage =
    "Usage: mqnet COMMAND [OPTIONS] ...\n"
    "Classless IPv4 and IPv6 address arithmetic, the engine of Maskquill's classless windows.\n"
    "\n"
    "  mqnet info [--json] TEXT\n"
    "      every fact of an address, prefix (a.b.c.d/len, a.b.c.d MASK or WILDCARD,\n"
    "      IPv6/len) or one-prefix range; TEXT may be given as several arguments\n"
    "  mqnet split [--csv|--json] [--header] NETWORK NEWLEN [--from N] [--count K]\n"
    "      the subnets of NETWORK at length NEWLEN, one row each:\n"
    "      index, network/len, first and last usable host, broadcast\n"
    "  mqnet summarize [FILE|-]\n"
    "      the fewest prefixes that cover exactly the addresses, prefixes and ranges\n"
    "      of FILE (standard input by default), one item a line; # starts a comment\n"
    "  mqnet set union|intersect|except|diff [--ranges] FILE...\n"
    "      the addresses in any FILE (union), in every FILE (intersect, two or more),\n"
    "      in the first and in none of the others (except), or in exactly one of two\n"
    "      (diff), as the fewest prefixes or with --ranges as first-last lines\n"
    "  mqnet overlaps [--json] FILE [FILE2]\n"
    "      every pair of items sharing addresses (with FILE2: one item of each file),\n"
    "      LINE:ITEM equal|contains|inside|overlaps LINE:ITEM; exit status 4 when any\n"
    "  mqnet free [--json] [--ranges] [--first N] ROOT [USED-FILE|-]\n"
    "      the free prefixes of ROOT given the items in use; --first N: the lowest\n"
    "      free aligned /N, exit status 3 when there is none\n"
    "  mqnet grep [-v] [-c] [-o] [-f PATTERN-FILE] [PATTERNS] [FILE...]\n"
    "      the lines naming an address in PATTERNS (prefixes, addresses, ranges split\n"
    "      by commas or blanks); -v the others, -c their count, -o the addresses;\n"
    "      exit status as grep's: 0 a line selected, 1 none, 2 trouble\n"
    "  mqnet plan allocate [--json|--csv [--header]] ROOT SEGMENTS-FILE\n"
    "      places the segments of SEGMENTS-FILE (name, hosts[, growth%[, /len]] a line)\n"
    "      into ROOT, largest first at the lowest free aligned place, as the network\n"
    "      planner does; exit status 3 when a segment does not fit\n"
    "\n"
    "  --help      this text\n"
    "  --version   the program's version\n"
    "\n"
    "Exit status: 0 success, 1 the output could not be written, 2 bad input (each\n"
    "refused item is named on standard error; the rest is still processed).\n"
    "Lists (summarize, set, overlaps, free, grep -f): one address, prefix or range a\n"
    "line, # starts a comment, - is standard input; lines above 65536 bytes are refused.\n";

std::optional<Arguments> readArguments(const std::vector<std::string>& args, std::string_view command,
                                       const std::vector<std::string_view>& flags,
                                       const std::vector<std::string_view>& valued, std::ostream& err) {
  Arguments out;
  const auto among = [](const std::vector<std::string_view>& list, std::string_view name) {
    return std::find(list.begin(), list.end(), name) != list.end();
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!a.starts_with("--")) {
      out.positional.push_back(a);
      continue;
    }
    const std::size_t equals = a.find('=');
    const std::string name = a.substr(0, equals);
    if (name == "--help") {
      out.help = true;
    } else if (among(flags, name) && equals == std::string::npos) {
      out.flags.insert(name);
    } else if (among(valued, name)) {
      if (equals != std::string::npos) {
        out.values[name] = a.substr(equals + 1);
      } else if (i + 1 < args.size()) {
        out.values[name] = args[++i];
      } else {
        fault(err, command, name + " needs a value");
        return std::nullopt;
      }
    } else {
      fault(err, command, "unknown option " + a + " (mqnet --help lists them)");
      return std::nullopt;
    }
  }
  return out;
}

void fault(std::ostream& err, std::string_view where, std::string_view what) {
  err << "mqnet: " << where << ": " << what << '\n';
}

std::optional<TypedPrefix> readPrefix(const std::string& text, std::string_view command, std::ostream& err) {
  const auto parsed = net::parseInput(text);
  if (const auto* e = std::get_if<net::ParseError>(&parsed)) {
    fault(err, command, net::describe(text, *e));
    return std::nullopt;
  }
  const net::Input& in = std::get<net::Input>(parsed);
  if (in.kind != net::Input::Kind::Range) return TypedPrefix{in.prefix, in.zone};
  const std::vector<net::Prefix> parts = net::rangeToPrefixes(in.range);
  if (parts.size() == 1) return TypedPrefix{parts.front(), in.zone};
  fault(err, command, text + ": the range is not one prefix but " + std::to_string(parts.size()) +
                          " (mqnet summarize lists them)");
  return std::nullopt;
}

std::string jsonString(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string s = "\"";
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      s += '\\';
      s += c;
    } else if (u < 0x20) {
      s += "\\u00";
      s += kHex[u >> 4];
      s += kHex[u & 0xF];
    } else {
      s += c;
    }
  }
  return s + '"';
}

}  // namespace mq::mqnet
