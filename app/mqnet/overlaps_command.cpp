// mqnet overlaps: the items of a list (or of two lists) that share addresses, and how.
#include <atomic>
#include <string>

#include "app/mqnet/commands.h"
#include "app/mqnet/list_input.h"
#include "net/overlaps.h"
#include "plan/json.h"

namespace mq::mqnet {

namespace {

// A list's items with their lines and their texts as written, the texts in one block.
struct List {
    std::string path;
    std::vector<net::Range> ranges;
    std::vector<std::size_t> lines, textEnds;
    std::string texts;

    std::string_view text(std::size_t i) const
    {
        const std::size_t from = i == 0 ? 0 : textEnds[i - 1];
        return std::string_view(texts).substr(from, textEnds[i] - from);
    }
};

void writeItem(BufferedWriter& w, const List& list, std::size_t i, bool named, bool json)
{
    if (json) {
        std::string s = "{\"file\": ";
        plan::json::appendString(s, list.path);
        s += ", \"line\": " + std::to_string(list.lines[i]) + ", \"item\": ";
        plan::json::appendString(s, list.text(i));
        w.write(s + "}");
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

int runOverlaps(const Invocation& call)
{
    const std::vector<std::string>& files = call.args.positional;
    if (files.empty() || files.size() > 2)
        return call.refuse("takes FILE and an optional FILE2");
    if (!standardInputOnce(call, files))
        return kExitBadInput;
    std::vector<List> lists(files.size());
    bool unread = false;
    for (std::size_t k = 0; k < lists.size(); ++k) {
        List& list = lists[k];
        list.path = files[k];
        unread |= !readAddressList(call, list.path, [&](const net::Range& r, const ListLine& line) {
            list.ranges.push_back(r);
            list.lines.push_back(line.number);
            list.texts.append(line.content);
            list.textEnds.push_back(list.texts.size());
        });
    }

    const bool json = call.args.has("--json"), two = lists.size() == 2;
    const List& first = lists.front();
    const List& second = lists.back();
    BufferedWriter& w = call.out;
    std::size_t pairs = 0;
    std::atomic<bool> writeFailed{false};  // stops the search: nothing more can be written
    const auto write = [&](const net::OverlapPair& p) {
        if (json)
            w.write(pairs == 0 ? "[\n  {\"a\": " : ",\n  {\"a\": ");
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
        if (w.failed())
            writeFailed = true;
    };
    if (two)
        net::visitOverlaps(first.ranges, second.ranges, write, &writeFailed);
    else
        net::visitOverlaps(first.ranges, write, &writeFailed);
    if (json)
        w.write(pairs == 0 ? "[]\n" : "\n]\n");
    if (unread || call.faults.refusedItems())
        return kExitBadInput;
    return pairs == 0 ? kExitOk : kExitOverlaps;
}

}  // namespace

const Command kOverlapsCommand{
    "overlaps",
    "[--json] FILE [FILE2]",
    "      every pair of items that share addresses (with FILE2: an item of each file),\n"
    "      LINE:ITEM equal|contains|inside|overlaps LINE:ITEM; exit status 4 when any\n",
    "      Pairs are ordered by the first item's line, then the second's; items as written.\n"
    "      With FILE2 each item is written FILE:LINE:ITEM.\n"
    "      --json          an array of {\"a\": {\"file\", \"line\", \"item\"}, \"b\": {...}, \"relation\"}\n",
    {{{"--json"}}},
    runOverlaps,
};

}  // namespace mq::mqnet
