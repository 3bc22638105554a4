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

class Grep final : private net::LineSink {
public:
    Grep(const GrepOptions& o, const net::AddressSet& set, const Invocation& call)
        : o_(o), matcher_(set), v4Only_(set.spans(net::Family::V6).empty()), w_(call.out), call_(call)
    {
    }

    // Reads one file; false on trouble (already named).
    bool file(const std::string& path, bool named)
    {
        name_ = sourceName(path);
        std::FILE* in = openInputFile(call_, path);
        if (!in)
            return false;
        prefix_ = named ? path + ":" : "";
        number_ = 0;
        skipping_ = false;
        good_ = true;
        const bool good = lines(in);
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
    // Reads in blocks and searches each block's whole lines in one pass, carrying a line cut
    // by a block's end into the next. A line is refused as soon as it is known to pass
    // kMaxLine (a CR may still come before its LF), however long it runs on, and is then
    // skipped to its end without being held.
    bool lines(std::FILE* in)
    {
        constexpr std::size_t kBlock = 1 << 20;
        std::string buffer(kBlock + kMaxLine + 1, '\0');
        char* const base = buffer.data();
        std::size_t have = 0;
        for (;;) {
            const std::size_t n = std::fread(base + have, 1, kBlock, in);
            const char* const end = base + have + n;
            if (n < kBlock) {
                if (std::ferror(in)) {
                    call_.refuse("cannot read " + textio::escaped(name_) + ": " + std::strerror(errno));
                    return false;
                }
                return net::scanLines(std::string_view(base, have + n), *this, v4Only_) && good_;
            }
            const char* const last = static_cast<const char*>(::memrchr(base, '\n', have + n));
            const char* const p = last ? last + 1 : base;
            if (!net::scanLines(std::string_view(base, static_cast<std::size_t>(p - base)), *this, v4Only_))
                return false;
            std::size_t rest = static_cast<std::size_t>(end - p);
            if (!skipping_ && rest > kMaxLine && rest > kMaxLine + (p[rest - 1] == '\r')) {
                tooLong();
                skipping_ = true;
            }
            if (skipping_)
                rest = 0;
            std::memmove(base, p, rest);
            have = rest;
        }
    }

    void tooLong()
    {
        call_.faults.tooLong(name_, number_ + 1);
        good_ = false;
    }

    bool wanted(const net::FoundAddress& a) override { return matcher_.contains(a.address); }

    // A whole line, and whether it names an address of the set.
    bool line(std::string_view text, bool hit) override
    {
        const std::size_t length = text.size() - (!text.empty() && text.back() == '\r');  // as textio counts
        const bool skipped = std::exchange(skipping_, false);
        if (!skipped && length > kMaxLine)
            tooLong();
        ++number_;
        if (skipped || length > kMaxLine || hit == o_.invert)
            return true;
        selectedAny_ = true;
        ++count_;
        if (o_.count)
            return true;
        if (!o_.only) {
            w_.write(prefix_);
            w_.write(text);
            w_.put('\n');
        } else if (!o_.invert) {
            net::scanAddresses(
                text,
                [&](const net::FoundAddress& a) {
                    if (matcher_.contains(a.address)) {
                        w_.write(prefix_);
                        w_.write(a.text);
                        w_.put('\n');
                    }
                    return true;
                },
                v4Only_);
        }
        return !w_.failed();
    }

    const GrepOptions& o_;
    net::AddressMatcher matcher_;
    const bool v4Only_;  // no IPv6 pattern: no IPv6 address can select a line, so none is looked for
    BufferedWriter& w_;
    const Invocation& call_;
    std::string name_, prefix_;
    std::size_t number_ = 0;  // lines of the file read so far
    bool skipping_ = false;  // inside a line already refused
    bool good_ = true;  // no line refused
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
