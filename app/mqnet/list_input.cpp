#include "app/mqnet/list_input.h"

#include <utility>

#include "app/mqnet/command_line.h"
#include "net/address_scan.h"
#include "net/parse.h"
#include "textio/escape.h"
#include "textio/lines.h"

namespace mq::mqnet {

bool readItem(std::string_view item, net::Range& range, std::string* error) {
  net::Prefix p;
  if (net::readPlainPrefix(item, p)) {  // the common line, without building a parse result
    range = {p.network(), p.last()};
    return true;
  }
  const auto parsed = net::parseInput(item);
  if (const auto* e = std::get_if<net::ParseError>(&parsed)) {
    if (error) *error = textio::escaped(item) + ": " + e->message + " at character " + std::to_string(e->position + 1);
    return false;
  }
  range = std::get<net::Input>(parsed).range;
  return true;
}

bool ListReader::read(const std::string& path, const ListItemFn& add) {
  const std::string name = nameOf(path);
  if (path == "-" && std::exchange(stdinTaken_, true)) {
    fault(err_, command_, "standard input can be read only once");
    refused_ = true;
    return false;
  }
  std::string error;
  std::FILE* in = textio::openInput(path, &error);
  if (!in) {
    fault(err_, command_, "cannot open " + textio::escaped(name) + ": " + error);
    refused_ = true;
    return false;
  }
  const textio::ReadResult result = textio::readLines(in, [&](const textio::Line& line) {
    net::Range range;
    if (line.tooLong) {
      error = textio::tooLongReason();
    } else if (readItem(line.content, range, &error)) {
      add(range, line.number, line.content);
      return true;
    }
    fault(err_, textio::escaped(name) + " line " + std::to_string(line.number), error);
    refused_ = true;
    return true;
  });
  textio::closeInput(in);
  if (!result.error.empty()) {
    fault(err_, command_, "cannot read " + textio::escaped(name) + ": " + result.error);
    refused_ = true;
    return false;
  }
  return true;
}

}  // namespace mq::mqnet
