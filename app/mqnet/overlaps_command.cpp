// mqnet overlaps: the items of a list (or of two lists) that share addresses, and how.
#include <atomic>
#include <string>

#include "app/mqnet/commands.h"
#include "app/mqnet/list_input.h"
#include "net/overlaps.h"
#include "textio/json.h"

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

void writeItem(BufferedWriter& w, const List& list, std::size_t i, bool named)
{
    if (named) {
        w.write(list.path);
        w.put(':');
    }
    w.decimal(list.lines[i]);
    w.put(':');
    w.write(list.text(i));
}

void writeItem(textio::json::Writer& j, const List& list, std::size_t i)
{
    j.beginObject();
    j.key("file");
    j.string(list.path);
    j.key("line");
    j.number(list.lines[i]);
    j.key("item");
    j.string(list.text(i));
    j.end();
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

    const bool asJson = call.args.has("--json"), two = lists.size() == 2;
    const List& first = lists.front();
    const List& second = lists.back();
    BufferedWriter& w = call.out;
    std::size_t pairs = 0;
    std::atomic<bool> writeFailed{false};  // stops the search: nothing more can be written
    std::string json;  // a pair's JSON, written as soon as it is whole
    textio::json::Writer j(json);
    if (asJson)
        j.beginArray(textio::json::Layout::Indented);
    const auto write = [&](const net::OverlapPair& p) {
        if (asJson) {
            j.beginObject();
            j.key("a");
            writeItem(j, first, p.a);
            j.key("b");
            writeItem(j, second, p.b);
            j.key("relation");
            j.string(net::relationName(p.relation));
            j.end();
            w.write(json);
            json.clear();
        } else {
            writeItem(w, first, p.a, two);
            w.put(' ');
            w.write(net::relationName(p.relation));
            w.put(' ');
            writeItem(w, second, p.b, two);
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
    if (asJson) {
        j.end();
        json += '\n';
        w.write(json);
    }
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
