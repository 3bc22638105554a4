// mqnet split: the subnets of a network at a longer prefix, streamed row by row.
#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "app/mqnet/command_line.h"
#include "app/mqnet/commands.h"
#include "app/mqnet/writer.h"
#include "net/split.h"

namespace mq::mqnet {

namespace {

enum class Style { Text, Csv, Json };

// The longest row: a 39-digit index and four IPv6 addresses with dotted tails, or their JSON.
constexpr std::size_t kRowRoom = 384;

struct RowFormat {
  Style style = Style::Text;
  char lengthText[8] = {};  // "/30", written after each network
  std::size_t lengthSize = 0;
  int indexWidth = 0, networkWidth = 0, addressWidth = 0;  // text columns
};

char* pad(char* from, char* to, int width) {
  const std::ptrdiff_t fill = width + 2 - (to - from);
  if (fill <= 0) return to;
  std::memset(to, ' ', static_cast<std::size_t>(fill));
  return to + fill;
}

char* csvRow(char* p, const RowFormat& f, const net::SubnetRow& r) {
  p = net::writeDecimal(p, r.index);
  *p++ = ',';
  p = net::writeAddress(p, r.network.address);
  std::memcpy(p, f.lengthText, f.lengthSize);
  p += f.lengthSize;
  *p++ = ',';
  p = net::writeAddress(p, r.first);
  *p++ = ',';
  p = net::writeAddress(p, r.last);
  *p++ = ',';
  if (r.broadcast) p = net::writeAddress(p, *r.broadcast);
  *p++ = '\n';
  return p;
}

char* jsonRow(char* p, const RowFormat& f, const net::SubnetRow& r, bool first) {
  const auto text = [&p](std::string_view s) {
    std::memcpy(p, s.data(), s.size());
    p += s.size();
  };
  text(first ? "\n  {\"index\": \"" : ",\n  {\"index\": \"");
  p = net::writeDecimal(p, r.index);
  text("\", \"network\": \"");
  p = net::writeAddress(p, r.network.address);
  text({f.lengthText, f.lengthSize});
  text("\", \"first\": \"");
  p = net::writeAddress(p, r.first);
  text("\", \"last\": \"");
  p = net::writeAddress(p, r.last);
  if (r.broadcast) {
    text("\", \"broadcast\": \"");
    p = net::writeAddress(p, *r.broadcast);
    text("\"}");
  } else {
    text("\", \"broadcast\": null}");
  }
  return p;
}

char* textRow(char* p, const RowFormat& f, const net::SubnetRow& r) {
  char* start = p;
  p = pad(start, net::writeDecimal(p, r.index), f.indexWidth);
  start = p;
  p = net::writeAddress(p, r.network.address);
  std::memcpy(p, f.lengthText, f.lengthSize);
  p = pad(start, p + f.lengthSize, f.networkWidth);
  start = p;
  p = pad(start, net::writeAddress(p, r.first), f.addressWidth);
  start = p;
  p = net::writeAddress(p, r.last);
  if (r.broadcast) p = net::writeAddress(pad(start, p, f.addressWidth), *r.broadcast);
  *p++ = '\n';
  return p;
}

void writeHeader(BufferedWriter& w, const RowFormat& f) {
  if (f.style == Style::Csv) {
    w.write("index,network,first,last,broadcast\n");
    return;
  }
  const auto column = [&](std::string_view name, int width) {
    w.write(name);
    w.write(std::string(static_cast<std::size_t>(std::max(0, width + 2 - static_cast<int>(name.size()))), ' '));
  };
  column("index", f.indexWidth);
  column("network", f.networkWidth);
  column("first", f.addressWidth);
  column("last", f.addressWidth);
  w.write("broadcast\n");
}

// --from and --count: whole numbers up to the row count.
bool readRowNumber(const Arguments& a, std::string_view name, const net::Count& rows, std::optional<net::u128>& out,
                   std::ostream& err) {
  const auto it = a.values.find(name);
  if (it == a.values.end()) return true;
  const auto v = net::parseDecimal(it->second);
  if (!v) {
    fault(err, "split", std::string(name) + " " + it->second + " is not a whole number");
    return false;
  }
  if (!rows.twoTo128 && *v > rows.low) {
    fault(err, "split", std::string(name) + " " + it->second + " is above the row count " + net::toDecimal(rows));
    return false;
  }
  out = *v;
  return true;
}

std::optional<int> readNewLength(const std::string& text, const net::Prefix& parent, std::ostream& err) {
  std::string_view digits = text;
  if (digits.starts_with('/')) digits.remove_prefix(1);
  const auto v = net::parseDecimal(digits);
  const int bits = parent.address.bits();
  if (!v) {
    fault(err, "split", "new length " + text + " is not a whole number");
  } else if (*v > static_cast<net::u128>(bits)) {
    fault(err, "split", "new length " + text + " is above " + std::to_string(bits));
  } else if (static_cast<int>(*v) < parent.length) {
    fault(err, "split", "new length " + text + " is shorter than the network's /" + std::to_string(parent.length));
  } else {
    return static_cast<int>(*v);
  }
  return std::nullopt;
}

}  // namespace

int splitCommand(const std::vector<std::string>& args, std::FILE* out, std::ostream& err) {
  const auto a = readArguments(args, "split", {"--csv", "--json", "--header"}, {"--from", "--count"}, err);
  if (!a) return kExitBadInput;
  if (a->help) {
    std::fputs(kUsage, out);
    return kExitOk;
  }
  if (a->positional.size() != 2) {
    fault(err, "split", "needs NETWORK and NEWLEN (mqnet --help)");
    return kExitBadInput;
  }
  if (a->flags.contains("--csv") && a->flags.contains("--json")) {
    fault(err, "split", "--csv and --json exclude each other");
    return kExitBadInput;
  }
  const std::string& text = a->positional[0];
  const auto parsed = net::parseInput(text);
  if (const auto* e = std::get_if<net::ParseError>(&parsed)) {
    fault(err, "split", net::describe(text, *e));
    return kExitBadInput;
  }
  std::string reason;
  const auto parent = onePrefix(std::get<net::Input>(parsed), text, &reason);
  if (!parent) {
    fault(err, "split", reason);
    return kExitBadInput;
  }
  const auto newLength = readNewLength(a->positional[1], *parent, err);
  if (!newLength) return kExitBadInput;
  const net::Splitter splitter(*parent, *newLength);
  std::optional<net::u128> from, count;
  if (!readRowNumber(*a, "--from", splitter.rowCount(), from, err) ||
      !readRowNumber(*a, "--count", splitter.rowCount(), count, err))
    return kExitBadInput;

  // Rows from..end, where end is the last row asked for; none when from is the row count.
  const net::u128 first = from.value_or(0);
  const net::u128 lastIndex = splitter.lastIndex();
  const bool any = first <= lastIndex && count.value_or(1) > 0;
  const net::u128 end = !any ? 0 : (!count || lastIndex - first < *count - 1) ? lastIndex : first + (*count - 1);

  RowFormat f;
  f.style = a->flags.contains("--csv") ? Style::Csv : a->flags.contains("--json") ? Style::Json : Style::Text;
  const std::string length = "/" + std::to_string(*newLength);
  std::memcpy(f.lengthText, length.data(), length.size());
  f.lengthSize = length.size();
  const bool v4 = parent->address.family == net::Family::V4;
  f.indexWidth = std::max(5, static_cast<int>(net::toDecimal(end).size()));  // at least "index"
  f.addressWidth = v4 ? 15 : 39;
  f.networkWidth = f.addressWidth + static_cast<int>(length.size());

  BufferedWriter w(out);
  if (a->flags.contains("--header") && f.style != Style::Json) writeHeader(w, f);
  if (f.style == Style::Json) w.put('[');
  for (net::u128 i = first; any; ++i) {
    const net::SubnetRow row = splitter.row(i);
    char* p = w.room(kRowRoom);
    switch (f.style) {
      case Style::Csv: p = csvRow(p, f, row); break;
      case Style::Json: p = jsonRow(p, f, row, i == first); break;
      case Style::Text: p = textRow(p, f, row); break;
    }
    w.commit(p);
    if (i == end) break;
  }
  if (f.style == Style::Json) w.write(any ? "\n]\n" : "]\n");
  if (!w.flush()) {
    fault(err, "split", "cannot write the output: " + w.error());
    return kExitOutputFailed;
  }
  return kExitOk;
}

}  // namespace mq::mqnet
