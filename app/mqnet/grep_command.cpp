// mqnet grep: the lines of a log that name an address in a set of networks, as grepcidr
// finds them. Its exit status is grep's: 0 a line selected, 1 none, 2 trouble.
#include <cerrno>
#include <cstring>
#include <algorithm>
#include <string>
#include <utility>

#include "app/mqnet/command_line.h"
#include "app/mqnet/commands.h"
#include "app/mqnet/list_input.h"
#include "app/mqnet/writer.h"
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
  std::vector<std::string> patternFiles, files;
  std::string patterns;
  bool help = false;
};

// grep's own argument form: short options that may be joined (-vc), -f FILE or -fFILE, "--".
bool readGrepArguments(const std::vector<std::string>& args, GrepOptions& o, std::ostream& err) {
  std::vector<std::string> positional;
  bool options = true;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!options || a.size() < 2 || a[0] != '-') {
      positional.push_back(a);
    } else if (a == "--") {
      options = false;
    } else if (a == "--help") {
      o.help = true;
    } else if (a[1] == '-') {
      fault(err, "grep", "unknown option " + a + " (mqnet --help lists them)");
      return false;
    } else {
      for (std::size_t k = 1; k < a.size(); ++k) {
        if (a[k] == 'v') {
          o.invert = true;
        } else if (a[k] == 'c') {
          o.count = true;
        } else if (a[k] == 'o') {
          o.only = true;
        } else if (a[k] == 'f') {
          if (k + 1 < a.size()) {
            o.patternFiles.push_back(a.substr(k + 1));
          } else if (i + 1 < args.size()) {
            o.patternFiles.push_back(args[++i]);
          } else {
            fault(err, "grep", "-f needs a PATTERN-FILE");
            return false;
          }
          break;
        } else {
          fault(err, "grep", std::string("unknown option -") + a[k] + " (mqnet --help lists them)");
          return false;
        }
      }
    }
  }
  if (o.help) return true;
  std::size_t next = 0;
  if (o.patternFiles.empty()) {
    if (positional.empty()) {
      fault(err, "grep", "needs PATTERNS or -f PATTERN-FILE (mqnet --help)");
      return false;
    }
    o.patterns = positional[next++];
  }
  o.files.assign(positional.begin() + static_cast<std::ptrdiff_t>(next), positional.end());
  if (o.files.empty()) o.files.push_back("-");
  return true;
}

// The patterns typed as one argument: items separated by commas or blanks.
bool readPatterns(std::string_view text, net::AddressSetBuilder& set, std::ostream& err) {
  bool good = true;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find_first_of(", \t\r\n"), text.size());
    const std::string_view item = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (item.empty()) continue;
    net::Range r;
    std::string error;
    if (readItem(item, r, &error)) {
      set.add(r);
    } else {
      fault(err, "grep", "pattern " + error);
      good = false;
    }
  }
  return good;
}

class Grep {
 public:
  Grep(const GrepOptions& o, const net::AddressSet& set, BufferedWriter& w, std::ostream& err)
      : o_(o), matcher_(set), w_(w), err_(err) {}

  // Reads one file; false on trouble (already named).
  bool file(const std::string& path, bool named) {
    const std::string name = textio::escaped(ListReader::nameOf(path));
    std::string error;
    std::FILE* in = textio::openInput(path, &error);
    if (!in) {
      fault(err_, "grep", "cannot open " + name + ": " + error);
      return false;
    }
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
  bool lines(std::FILE* in, const std::string& name) {
    constexpr std::size_t kBlock = 1 << 20;
    std::string buffer(kBlock + kMaxLine, '\0');
    char* const base = buffer.data();
    std::size_t have = 0, number = 0;
    bool skipping = false, good = true;  // skipping: inside a line longer than kMaxLine
    const auto tooLong = [&] {
      fault(err_, name + " line " + std::to_string(number), textio::tooLongReason());
      good = false;
    };
    for (;;) {
      const std::size_t n = std::fread(base + have, 1, kBlock, in);
      const char* p = base;
      const char* const end = base + have + n;
      for (const char* nl; (nl = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p))));
           p = nl + 1) {
        ++number;
        if (skipping) {
          skipping = false;
          tooLong();
        } else {
          line(std::string_view(p, static_cast<std::size_t>(nl - p)));
        }
        if (!w_.error().empty()) return false;
      }
      const std::size_t rest = static_cast<std::size_t>(end - p);
      if (n < kBlock) {
        if (std::ferror(in)) {
          fault(err_, "grep", "cannot read " + name + ": " + std::strerror(errno));
          return false;
        }
        if (skipping || rest > kMaxLine) {
          ++number;
          tooLong();
        } else if (rest > 0) {
          line(std::string_view(p, rest));
        }
        return good;
      }
      if (skipping || rest > kMaxLine) {
        skipping = true;
        have = 0;
      } else {
        std::memmove(base, p, rest);
        have = rest;
      }
    }
  }

  void line(std::string_view text) {
    bool hit = false;
    if (o_.only && !o_.invert) {
      net::scanAddresses(text, [&](const net::FoundAddress& a) {
        if (!matcher_.contains(a.address)) return true;
        hit = true;
        if (!o_.count) {
          w_.write(prefix_);
          w_.write(a.text);
          w_.put('\n');
        }
        return true;
      });
    } else {
      net::scanAddresses(text, [&](const net::FoundAddress& a) { return !(hit = matcher_.contains(a.address)); });
    }
    if (hit == o_.invert) return;
    selectedAny_ = true;
    ++count_;
    if (o_.count || o_.only) return;
    w_.write(prefix_);
    w_.write(text);
    w_.put('\n');
  }

  const GrepOptions& o_;
  net::AddressMatcher matcher_;
  BufferedWriter& w_;
  std::ostream& err_;
  std::string prefix_;
  net::u128 count_ = 0;
  bool selectedAny_ = false;
};

}  // namespace

int grepCommand(const std::vector<std::string>& args, std::FILE* out, std::ostream& err) {
  GrepOptions o;
  if (!readGrepArguments(args, o, err)) return kExitTrouble;
  if (o.help) {
    std::fputs(kUsage, out);
    return kExitSelected;
  }
  bool good = true;
  net::AddressSetBuilder patterns;
  if (o.patternFiles.empty()) good = readPatterns(o.patterns, patterns, err);
  ListReader reader("grep", err);
  for (const std::string& f : o.patternFiles)
    reader.read(f, [&](const net::Range& r, std::size_t, std::string_view) { patterns.add(r); });
  good = good && !reader.refused();
  for (const std::string& f : o.files)
    if (f == "-" && std::count(o.patternFiles.begin(), o.patternFiles.end(), "-")) {
      fault(err, "grep", "standard input can be read only once");
      return kExitTrouble;
    }

  BufferedWriter w(out);
  Grep grep(o, patterns.build(), w, err);
  bool stdinRead = false;
  for (const std::string& f : o.files) {
    if (f == "-" && std::exchange(stdinRead, true)) {
      fault(err, "grep", "standard input can be read only once");
      good = false;
      continue;
    }
    good = grep.file(f, o.files.size() > 1) && good;
    if (!w.error().empty()) break;
  }
  if (!w.flush()) {
    fault(err, "grep", "cannot write the output: " + w.error());
    return kExitTrouble;
  }
  if (!good) return kExitTrouble;
  return grep.anySelected() ? kExitSelected : kExitNoneSelected;
}

}  // namespace mq::mqnet
