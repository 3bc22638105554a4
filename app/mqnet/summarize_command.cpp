// mqnet summarize: the fewest prefixes covering exactly what a file lists.
#include <cerrno>
#include <cstring>
#include <string>

#include "app/mqnet/command_line.h"
#include "app/mqnet/commands.h"
#include "app/mqnet/writer.h"
#include "net/summarize.h"

namespace mq::mqnet {

namespace {

// Reads the file in large blocks and hands each line (without its end) to `line`.
// Returns the read error, empty when the whole file was read.
template <class Line>
std::string eachLine(std::FILE* in, Line&& line) {
  constexpr std::size_t kBlock = 1 << 20;
  std::string block(kBlock, '\0');
  std::string carried;  // a line cut by the end of a block
  std::size_t number = 0;
  for (;;) {
    const std::size_t n = std::fread(block.data(), 1, kBlock, in);
    std::string_view rest(block.data(), n);
    for (std::size_t nl; (nl = rest.find('\n')) != std::string_view::npos; rest.remove_prefix(nl + 1)) {
      if (carried.empty()) {
        line(++number, rest.substr(0, nl));
      } else {
        carried.append(rest.substr(0, nl));
        line(++number, carried);
        carried.clear();
      }
    }
    carried.append(rest);
    if (n < kBlock) break;
  }
  const std::string error = std::ferror(in) ? std::strerror(errno) : "";
  if (!carried.empty()) line(++number, carried);
  return error;
}

}  // namespace

int summarizeCommand(const std::vector<std::string>& args, std::FILE* out, std::ostream& err) {
  const auto a = readArguments(args, "summarize", {}, {}, err);
  if (!a) return kExitBadInput;
  if (a->help) {
    std::fputs(kUsage, out);
    return kExitOk;
  }
  if (a->positional.size() > 1) {
    fault(err, "summarize", "takes one FILE or - (mqnet --help)");
    return kExitBadInput;
  }
  const bool stdinInput = a->positional.empty() || a->positional[0] == "-";
  const std::string name = stdinInput ? "standard input" : a->positional[0];
  std::FILE* in = stdinInput ? stdin : std::fopen(name.c_str(), "rb");
  if (!in) {
    fault(err, "summarize", "cannot open " + name + ": " + std::strerror(errno));
    return kExitBadInput;
  }

  net::Summarizer summary;
  bool refused = false;
  const std::string readError = eachLine(in, [&](std::size_t number, std::string_view line) {
    line = line.substr(0, line.find('#'));
    if (line.find_first_not_of(" \t\r") == std::string_view::npos) return;
    const auto parsed = net::parseInput(line);
    if (const auto* e = std::get_if<net::ParseError>(&parsed)) {
      // The item as typed, without the blanks around it, and where in it the fault is.
      const std::size_t lead = line.find_first_not_of(" \t");
      const std::string_view item = line.substr(lead, line.find_last_not_of(" \t\r") + 1 - lead);
      net::ParseError inItem = *e;
      inItem.position = inItem.position >= lead ? inItem.position - lead : 0;
      fault(err, name + " line " + std::to_string(number), net::describe(item, inItem));
      refused = true;
      return;
    }
    summary.add(std::get<net::Input>(parsed).range);
  });
  if (!stdinInput) std::fclose(in);
  if (!readError.empty()) {
    fault(err, "summarize", "cannot read " + name + ": " + readError);
    refused = true;
  }

  BufferedWriter w(out);
  summary.visit([&](const net::Prefix& p) {
    char* at = w.room(net::kAddressRoom + 8);
    at = net::writeAddress(at, p.address);
    *at++ = '/';
    at = net::writeDecimal(at, static_cast<net::u128>(p.length));
    *at++ = '\n';
    w.commit(at);
  });
  if (!w.flush()) {
    fault(err, "summarize", "cannot write the output: " + w.error());
    return kExitOutputFailed;
  }
  return refused ? kExitBadInput : kExitOk;
}

}  // namespace mq::mqnet
