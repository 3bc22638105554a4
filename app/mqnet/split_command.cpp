// mqnet split: the subnets of a network at a longer prefix, streamed row by row (or a
// workbook of up to a worksheet's rows).
#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "app/mqnet/command_line.h"
#include "app/mqnet/commands.h"
#include "app/mqnet/output_file.h"
#include "app/mqnet/writer.h"
#include "net/split.h"
#include "textio/escape.h"
#include "xlsx/sheet.h"

namespace mq::mqnet {

namespace {

bool isDigits(std::string_view s)
{
    return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

enum class Style { Text, Csv, Json };

// The longest row: a 39-digit index and four IPv6 addresses with dotted tails, or their JSON.
constexpr std::size_t kRowRoom = 384;

struct RowFormat {
    Style style = Style::Text;
    char lengthText[8] = {};  // "/30", written after each network
    std::size_t lengthSize = 0;
    int indexWidth = 0, networkWidth = 0, addressWidth = 0;  // text columns
};

char* pad(char* from, char* to, int width)
{
    const std::ptrdiff_t fill = width + 2 - (to - from);
    if (fill <= 0)
        return to;
    std::memset(to, ' ', static_cast<std::size_t>(fill));
    return to + fill;
}

char* csvRow(char* p, const RowFormat& f, const net::SubnetRow& r)
{
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
    if (r.broadcast)
        p = net::writeAddress(p, *r.broadcast);
    *p++ = '\n';
    return p;
}

char* jsonRow(char* p, const RowFormat& f, const net::SubnetRow& r, bool first)
{
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

char* textRow(char* p, const RowFormat& f, const net::SubnetRow& r)
{
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
    if (r.broadcast)
        p = net::writeAddress(pad(start, p, f.addressWidth), *r.broadcast);
    *p++ = '\n';
    return p;
}

void writeHeader(BufferedWriter& w, const RowFormat& f)
{
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

// Rows first..end as a workbook's one sheet, each row's cells written as csvRow writes them,
// so that the sheet and --csv cannot differ. Refused before anything is written when a
// worksheet cannot hold them.
int writeSheet(const Invocation& call, const net::Splitter& splitter, const RowFormat& f, net::u128 first,
               std::optional<net::u128> end)
{
    const std::string* out = nullptr;
    if (const int r = outputPath(call, out); r != kExitOk)
        return r;
    const net::u128 rows = end ? *end - first + 1 : 0;  // a whole split of 2^128 rows is refused here too
    if (end && (rows == 0 || rows > xlsx::kMaxSheetRows))
        return call.refuse("--xlsx: " + (rows == 0 ? std::string("2^128") : net::toDecimal(rows)) +
                           " rows are more than a worksheet holds (" + std::to_string(xlsx::kMaxSheetRows) +
                           " below its header); --csv writes any number of them, or --count takes fewer");
    xlsx::Sheet sheet{"split",
                      {{"index", xlsx::CellType::Count}, {"network"}, {"first"}, {"last"}, {"broadcast"}},
                      static_cast<std::size_t>(rows),
                      [&](std::size_t i, std::vector<std::string>& cells) {
                          const net::SubnetRow r = splitter.row(first + i);
                          char text[kRowRoom];
                          cells.emplace_back(text, net::writeDecimal(text, r.index));
                          char* network = net::writeAddress(text, r.network.address);
                          std::memcpy(network, f.lengthText, f.lengthSize);
                          cells.emplace_back(text, network + f.lengthSize);
                          cells.emplace_back(text, net::writeAddress(text, r.first));
                          cells.emplace_back(text, net::writeAddress(text, r.last));
                          cells.emplace_back(r.broadcast ? std::string(text, net::writeAddress(text, *r.broadcast))
                                                         : std::string());
                      }};
    return deliverWorkbook(call, out, {sheet});
}

// --from and --count: whole numbers up to the row count.
bool readRowNumber(const Invocation& call, std::string_view name, const net::Count& rows, std::optional<net::u128>& out)
{
    const std::string* text = call.args.value(name);
    if (!text)
        return true;
    const std::string quoted = std::string(name) + " " + textio::escaped(*text);
    const auto v = net::parseDecimal(*text);
    if (!v && isDigits(*text)) {  // beyond 2^128 - 1: more than any split has rows
        call.refuse(quoted + " is above the row count " + net::toDecimal(rows));
        return false;
    }
    if (!v) {
        call.refuse(quoted + " is not a whole number");
        return false;
    }
    if (!rows.twoTo128 && *v > rows.low) {
        call.refuse(quoted + " is above the row count " + net::toDecimal(rows));
        return false;
    }
    out = *v;
    return true;
}

std::optional<int> readNewLength(const Invocation& call, const std::string& text, const net::Prefix& parent)
{
    std::string_view digits = text;
    if (digits.starts_with('/'))
        digits.remove_prefix(1);
    const auto v = net::parseDecimal(digits);
    const int bits = parent.address.bits();
    const std::string quoted = "new length " + textio::escaped(text);
    if (!v && !isDigits(digits)) {
        call.refuse(quoted + " is not a whole number");
    } else if (!v || *v > static_cast<net::u128>(bits)) {  // !v: digits beyond 2^128 - 1
        call.refuse(quoted + " is above " + std::to_string(bits));
    } else if (static_cast<int>(*v) < parent.length) {
        call.refuse(quoted + " is shorter than the network's /" + std::to_string(parent.length));
    } else {
        return static_cast<int>(*v);
    }
    return std::nullopt;
}

int runSplit(const Invocation& call)
{
    const Arguments& a = call.args;
    if (a.positional.size() != 2)
        return call.refuse("needs NETWORK and NEWLEN (mqnet split --help)");
    if (a.has("--csv") && a.has("--json"))
        return call.refuse("--csv and --json exclude each other");
    if (a.has("--xlsx") && (a.has("--csv") || a.has("--json")))
        return call.refuse(std::string("--xlsx and ") + (a.has("--csv") ? "--csv" : "--json") + " exclude each other");
    if (a.has("--xlsx")) {
        if (const int r = requireWorkbookOutput(call, "--xlsx"); r != kExitOk)
            return r;
    } else if (a.value("-o")) {
        return call.refuse("-o is for --xlsx: the other forms go to standard output");
    }
    if (a.has("--header") && a.has("--json"))
        return call.refuse("--header is for text and --csv, not --json");
    const auto typed = readPrefix(call, a.positional[0]);
    if (!typed)
        return kExitBadInput;
    const net::Prefix& parent = typed->prefix;
    const auto newLength = readNewLength(call, a.positional[1], parent);
    if (!newLength)
        return kExitBadInput;
    const net::Splitter splitter(parent, *newLength);
    std::optional<net::u128> from, count;
    if (!readRowNumber(call, "--from", splitter.rowCount(), from) ||
        !readRowNumber(call, "--count", splitter.rowCount(), count))
        return kExitBadInput;

    // Rows from..end, where end is the last row asked for; none when from is the row count.
    const net::u128 first = from.value_or(0);
    const net::u128 lastIndex = splitter.lastIndex();
    const bool any = first <= lastIndex && count.value_or(1) > 0;
    const net::u128 end = !any ? 0 : (!count || lastIndex - first < *count - 1) ? lastIndex : first + (*count - 1);

    RowFormat f;
    f.style = a.has("--csv") || a.has("--xlsx") ? Style::Csv : a.has("--json") ? Style::Json : Style::Text;
    const std::string length = "/" + std::to_string(*newLength);
    std::memcpy(f.lengthText, length.data(), length.size());
    f.lengthSize = length.size();
    const bool v4 = parent.address.family == net::Family::V4;
    f.indexWidth = std::max(5, static_cast<int>(net::toDecimal(end).size()));  // at least "index"
    f.addressWidth = v4 ? 15 : 39;
    f.networkWidth = f.addressWidth + static_cast<int>(length.size());

    if (a.has("--xlsx"))
        return writeSheet(call, splitter, f, first, any ? std::optional(end) : std::nullopt);
    BufferedWriter& w = call.out;
    if (a.has("--header"))
        writeHeader(w, f);
    if (f.style == Style::Json)
        w.put('[');
    for (net::u128 i = first; any && !w.failed(); ++i) {
        const net::SubnetRow row = splitter.row(i);
        char* p = w.room(kRowRoom);
        switch (f.style) {
        case Style::Csv: p = csvRow(p, f, row); break;
        case Style::Json: p = jsonRow(p, f, row, i == first); break;
        case Style::Text: p = textRow(p, f, row); break;
        }
        w.commit(p);
        if (i == end)
            break;
    }
    if (f.style == Style::Json)
        w.write(any ? "\n]\n" : "]\n");
    return kExitOk;
}

}  // namespace

const Command kSplitCommand{
    "split",
    "[--csv|--json|--xlsx -o FILE] [--header] NETWORK NEWLEN [--from N] [--count K]",
    "      the subnets of NETWORK at length NEWLEN, one row each:\n"
    "      index, network/len, first and last usable host, broadcast\n",
    "      --csv, --json   rows as CSV (LF line ends) or as one JSON array\n"
    "      --xlsx -o FILE  the rows as a workbook's sheet \"split\", the cells of --csv\n"
    "                      under a bold header row that stays in view (the index a\n"
    "                      number where a spreadsheet holds it exactly, addresses\n"
    "                      text); at most 1048575 rows, a worksheet's limit (-o -:\n"
    "                      standard output)\n"
    "      --header        a first line naming the columns (text and --csv)\n"
    "      --from N        start at row N (from 0); any row of up to 2^128 at once\n"
    "      --count K       at most K rows\n",
    {{{"--csv"}, {"--json"}, {"--xlsx"}, {"--header"}, {"--from", true}, {"--count", true}, {"-o", true}}},
    runSplit,
};

}  // namespace mq::mqnet
