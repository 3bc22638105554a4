#include "app/mqnet/list_input.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/mqnet/command_line.h"
#include "net/address_scan.h"
#include "net/parse.h"

namespace mq::mqnet {

namespace {

constexpr std::size_t kMaxLine = 65536;

// Reads the file in large blocks and hands each line (without its end) to `line`; a line
// longer than kMaxLine is handed over empty with tooLong set, without being kept.
template <class Line>
std::string eachLine(std::FILE* in, Line&& line) {
  constexpr std::size_t kBlock = 1 << 20;
  std::string block(kBlock, '\0');
  std::string carried;  // a line cut by the end of a block
  bool tooLong = false;
  std::size_t number = 0;
  const auto end = [&](std::string_view piece) {
    if (!tooLong && carried.size() + piece.size() > kMaxLine) tooLong = true;
    if (tooLong) {
      line(++number, std::string_view(), true);
    } else if (carried.empty()) {
      line(++number, piece, false);
    } else {
      carried.append(piece);
      line(++number, carried, false);
    }
    carried.clear();
    tooLong = false;
  };
  for (;;) {
    const std::size_t n = std::fread(block.data(), 1, kBlock, in);
    std::string_view rest(block.data(), n);
    for (std::size_t nl; (nl = rest.find('\n')) != std::string_view::npos; rest.remove_prefix(nl + 1))
      end(rest.substr(0, nl));
    if (!tooLong && carried.size() + rest.size() > kMaxLine) {
      tooLong = true;
      carried.clear();
    }
    if (!tooLong) carried.append(rest);
    if (n < kBlock) break;
  }
  const std::string error = std::ferror(in) ? std::strerror(errno) : "";
  if (!carried.empty() || tooLong) end({});
  return error;
}

std::string_view trimmed(std::string_view s) {
  const std::size_t first = s.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r") + 1 - first);
}

}  // namespace

bool readItem(std::string_view item, net::Range& range, std::string* error) {
  net::Prefix p;
  if (net::readPlainPrefix(item, p)) {  // the common line, without building a parse result
    range = {p.network(), p.last()};
    return true;
  }
  const auto parsed = net::parseInput(item);
  if (const auto* e = std::get_if<net::ParseError>(&parsed)) {
    if (error) *error = net::describe(item, *e);
    return false;
  }
  range = std::get<net::Input>(parsed).range;
  return true;
}

bool ListReader::read(const std::string& path, const ListItemFn& add) {
  const std::string name = nameOf(path);
  if (path == "-" && stdinTaken_) {
    fault(err_, command_, "standard input can be read only once");
    refused_ = true;
    return false;
  }
  std::FILE* in = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
  if (path == "-") stdinTaken_ = true;
  if (!in) {
    fault(err_, command_, "cannot open " + name + ": " + std::strerror(errno));
    refused_ = true;
    return false;
  }
  std::string error;
  const std::string readError = eachLine(in, [&](std::size_t number, std::string_view line, bool tooLong) {
    if (tooLong) {
      fault(err_, name + " line " + std::to_string(number), "the line is longer than 65536 bytes");
      refused_ = true;
      return;
    }
    if (number == 1 && line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);
    const std::string_view item = trimmed(line.substr(0, line.find('#')));
    if (item.empty()) return;
    net::Range range;
    if (!readItem(item, range, &error)) {
      fault(err_, name + " line " + std::to_string(number), error);
      refused_ = true;
      return;
    }
    add(range, number, item);
  });
  if (path != "-") std::fclose(in);
  if (!readError.empty()) {
    fault(err_, command_, "cannot read " + name + ": " + readError);
    refused_ = true;
    return false;
  }
  return true;
}

}  // namespace mq::mqnet
