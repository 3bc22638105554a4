// mqnet overlaps: the items of a list (or of two lists) that share addresses, and how.
#include <atomic>
#include <string>

#include "app/mqnet/command_line.h"
#include "app/mqnet/commands.h"
#include "app/mqnet/list_input.h"
#include "app/mqnet/writer.h"
#include "net/overlaps.h"

namespace mq::mqnet {

namespace {

// A list's items with their lines and their texts as written, the texts in one block.
struct List {
  std::string path;
  std::vector<net::Range> ranges;
  std::vector<std::size_t> lines, textEnds;
  std::string texts;

  std::string_view text(std::size_t i) const {
    const std::size_t from = i == 0 ? 0 : textEnds[i - 1];
    return std::string_view(texts).substr(from, textEnds[i] - from);
  }
};

void writeItem(BufferedWriter& w, const List& list, std::size_t i, bool named, bool json) {
  if (json) {
    w.write("{\"file\": " + jsonString(list.path) + ", \"line\": " + std::to_string(list.lines[i]) +
            ", \"item\": " + jsonString(list.text(i)) + "}");
    return;
  }
  if (named) {
    w.write(list.path);
    w.put(':');
  }
  w.decimal(list.lines[i]);
  w.put(':');
  w.write(list.text(i));
}

}  // namespace

int overlapsCommand(const std::vector<std::string>& args, std::FILE* out, std::ostream& err) {
  const auto a = readArguments(args, "overlaps", {"--json"}, {}, err);
  if (!a) return kExitBadInput;
  if (a->help) {
    std::fputs(kUsage, out);
    return kExitOk;
  }
  if (a->positional.empty() || a->positional.size() > 2) {
    fault(err, "overlaps", "takes FILE and an optional FILE2 (mqnet --help)");
    return kExitBadInput;
  }
  ListReader reader("overlaps", err);
  std::vector<List> lists(a->positional.size());
  for (std::size_t k = 0; k < lists.size(); ++k) {
    List& list = lists[k];
    list.path = a->positional[k];
    reader.read(list.path, [&](const net::Range& r, std::size_t line, std::string_view item) {
      list.ranges.push_back(r);
      list.lines.push_back(line);
      list.texts.append(item);
      list.textEnds.push_back(list.texts.size());
    });
  }

  const bool json = a->flags.contains("--json"), two = lists.size() == 2;
  const List& first = lists.front();
  const List& second = lists.back();
  BufferedWriter w(out);
  std::size_t pairs = 0;
  std::atomic<bool> writeFailed{false};  // stops the search: nothing more can be written
  const auto write = [&](const net::OverlapPair& p) {
    if (json) w.write(pairs == 0 ? "[\n  {\"a\": " : ",\n  {\"a\": ");
    writeItem(w, first, p.a, two, json);
    if (json) {
      w.write(", \"b\": ");
    } else {
      w.put(' ');
      w.write(net::relationName(p.relation));
      w.put(' ');
    }
    writeItem(w, second, p.b, two, json);
    if (json) {
      w.write(", \"relation\": \"");
      w.write(net::relationName(p.relation));
      w.write("\"}");
    } else {
      w.put('\n');
    }
    ++pairs;
    if (!w.error().empty()) writeFailed = true;
  };
  if (two)
    net::visitOverlaps(first.ranges, second.ranges, write, &writeFailed);
  else
    net::visitOverlaps(first.ranges, write, &writeFailed);
  if (json) w.write(pairs == 0 ? "[]\n" : "\n]\n");
  if (!w.flush()) {
    fault(err, "overlaps", "cannot write the output: " + w.error());
    return kExitOutputFailed;
  }
  if (reader.refused()) return kExitBadInput;
  return pairs == 0 ? kExitOk : kExitOverlapsFound;
}

}  // namespace mq::mqnet
