// mqnet grep: the lines of a log that name an address in a set of networks, as grepcidr
// finds them. Its exit status is grep's: 0 a line selected, 1 none, 2 trouble.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "app/mqnet/commands.h"
#include "app/mqnet/list_file.h"
#include "app/mqnet/list_input.h"
#include "net/address_scan.h"
#include "net/address_set.h"
#include "textio/escape.h"
#include "textio/lines.h"

namespace mq::mqnet {

namespace {

constexpr int kExitSelected = 0, kExitNoneSelected = 1, kExitTrouble = 2;
constexpr std::size_t kMaxLine = textio::kMaxLineBytes;

struct GrepOptions {
    bool invert = false, count = false, only = false;
};

// The patterns typed as one argument: items separated by commas or blanks.
bool readPatterns(const Invocation& call, std::string_view text, net::AddressSetBuilder& set)
{
    bool good = true;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find_first_of(", \t\r\n"), text.size());
        const std::string_view item = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (item.empty())
            continue;
        const auto r = net::parseListItem(item);
        if (const auto* e = std::get_if<net::ParseError>(&r)) {
            call.refuse("pattern " + textio::escaped(item) + ": " + refusalReason(*e));
            good = false;
        } else {
            set.add(std::get<net::Range>(r));
        }
    }
    return good;
}

class Grep {
public:
    Grep(const GrepOptions& o, const net::AddressSet& set, const Invocation& call)
        : o_(o), matcher_(set), v4Only_(set.spans(net::Family::V6).empty()), w_(call.out), call_(call)
    {
    }

    // Reads one file; false on trouble (already named).
    bool file(const std::string& path, bool named)
    {
        const std::string name = sourceName(path);
        std::FILE* in = openInputFile(call_, path);
        if (!in)
            return false;
        prefix_ = named ? path + ":" : "";
        const bool good = lines(in, name);
        textio::closeInput(in);
        if (o_.count) {
            w_.write(prefix_);
            w_.decimal(count_);
            w_.put('\n');
        }
        count_ = 0;
        return good;
    }
    bool anySelected() const { return selectedAny_; }

private:
    // Reads in blocks, carrying a line cut by a block's end into the next. A line is refused
    // as soon as it is known to pass kMaxLine (a CR may still come before its LF), however
    // long it runs on, and is then skipped to its end without being held.
    bool lines(std::FILE* in, const std::string& name)
    {
        constexpr std::size_t kBlock = 1 << 20;
        std::string buffer(kBlock + kMaxLine + 1, '\0');
        char* const base = buffer.data();
        std::size_t have = 0, number = 0;
        bool skipping = false, good = true;  // skipping: inside a line already refused
        const auto tooLong = [&] {
            call_.faults.tooLong(name, number + 1);
            good = false;
        };
        for (;;) {
            const std::size_t n = std::fread(base + have, 1, kBlock, in);
            const char* p = base;
            const char* const end = base + have + n;
            for (const char* nl;
                 (nl = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)))); p = nl + 1) {
                const std::size_t length =
                    static_cast<std::size_t>(nl - p) - (nl > p && nl[-1] == '\r');  // as textio counts
                if (skipping) {
                    skipping = false;
                } else if (length > kMaxLine) {
                    tooLong();
                } else {
                    line(std::string_view(p, static_cast<std::size_t>(nl - p)));
                    if (w_.failed())
                        return false;
                }
                ++number;
            }
            std::size_t rest = static_cast<std::size_t>(end - p);
            if (n < kBlock) {
                if (std::ferror(in)) {
                    call_.refuse("cannot read " + textio::escaped(name) + ": " + std::strerror(errno));
                    return false;
                }
                if (!skipping && rest > 0) {
                    if (rest - (p[rest - 1] == '\r') > kMaxLine)
                        tooLong();
                    else
                        line(std::string_view(p, rest));
                }
                return good;
            }
            if (!skipping && rest > kMaxLine && rest > kMaxLine + (p[rest - 1] == '\r')) {
                tooLong();
                skipping = true;
            }
            if (skipping)
                rest = 0;
            std::memmove(base, p, rest);
            have = rest;
        }
    }

    void line(std::string_view text)
    {
        bool hit = false;
        if (o_.only && !o_.invert) {
            net::scanAddresses(
                text,
                [&](const net::FoundAddress& a) {
                    if (!matcher_.contains(a.address))
                        return true;
                    hit = true;
                    if (!o_.count) {
                        w_.write(prefix_);
                        w_.write(a.text);
                        w_.put('\n');
                    }
                    return true;
                },
                v4Only_);
        } else {
            net::scanAddresses(
                text, [&](const net::FoundAddress& a) { return !(hit = matcher_.contains(a.address)); }, v4Only_);
        }
        if (hit == o_.invert)
            return;
        selectedAny_ = true;
        ++count_;
        if (o_.count || o_.only)
            return;
        w_.write(prefix_);
        w_.write(text);
        w_.put('\n');
    }

    const GrepOptions& o_;
    net::AddressMatcher matcher_;
    const bool v4Only_;  // no IPv6 pattern: no IPv6 address can select a line, so none is looked for
    BufferedWriter& w_;
    const Invocation& call_;
    std::string prefix_;
    net::u128 count_ = 0;
    bool selectedAny_ = false;
};

int runGrep(const Invocation& call)
{
    const GrepOptions o{call.args.has("-v"), call.args.has("-c"), call.args.has("-o")};
    const std::string* patternFile = call.args.value("-f");
    std::vector<std::string> files = call.args.positional;
    bool good = true;
    net::AddressSetBuilder patterns;
    if (patternFile) {
        good = readAddressList(call, *patternFile, [&](const net::Range& r, const ListLine&) { patterns.add(r); });
    } else if (files.empty()) {
        return call.refuse("needs PATTERNS or -f PATTERN-FILE");
    } else {
        good = readPatterns(call, files.front(), patterns);
        files.erase(files.begin());
    }
    good = good && call.faults.refusedItems() == 0;
    if (files.empty())
        files.push_back("-");
    std::vector<std::string> inputs = files;
    if (patternFile)
        inputs.push_back(*patternFile);
    if (!standardInputOnce(call, inputs))
        return kExitTrouble;

    Grep grep(o, patterns.build(), call);
    for (const std::string& f : files) {
        good = grep.file(f, files.size() > 1) && good;
        if (call.out.failed())
            break;
    }
    if (!good)
        return kExitTrouble;
    return grep.anySelected() ? kExitSelected : kExitNoneSelected;
}

}  // namespace

const Command kGrepCommand{
    "grep",
    "[-v] [-c] [-o] [-f PATTERN-FILE] [PATTERNS] [FILE...]",
    "      the lines of FILE (standard input by default) that name an address in PATTERNS\n"
    "      (addresses, prefixes and ranges separated by commas or blanks), as grepcidr;\n"
    "      exit status as grep's: 0 a line selected, 1 none, 2 trouble\n",
    "      An address is found where a whole word (letters, digits, _ . :) is one, or a word\n"
    "      is an IPv4 address followed by '.' or by ':' and a port. With more than one FILE\n"
    "      each line starts with FILE:.\n"
    "      -v              the lines that name no such address\n"
    "      -c              only the number of lines selected\n"
    "      -o              each matching address as written, one a line\n"
    "      -f PATTERN-FILE the patterns as a list (as summarize reads it)\n",
    {{{"-v"}, {"-c"}, {"-o"}, {"-f", true}}},
    runGrep,
    kExitTrouble,
};

}  // namespace mq::mqnet
