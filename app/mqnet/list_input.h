#pragma once
// The lists that set, overlaps, free and grep -f read: one item a line (an address, a
// prefix or a range), read as summarize reads them, standard input ("-") at most once.
#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>

#include "net/address.h"

namespace mq::mqnet {

constexpr int kExitNoneFree = 3;        // free --first: no free block of that size
constexpr int kExitOverlapsFound = 4;   // overlaps: some pairs were listed

using ListItemFn = std::function<void(const net::Range& range, std::size_t line, std::string_view item)>;

class ListReader {
 public:
  ListReader(std::string_view command, std::ostream& err) : command_(command), err_(err) {}

  // Hands each good item to add with its line number and its text as written; each
  // refused line is named on standard error. False when the file could not be read at all.
  bool read(const std::string& path, const ListItemFn& add);
  // Some line or file was refused.
  bool refused() const { return refused_; }
  static std::string nameOf(const std::string& path) { return path == "-" ? "standard input" : path; }

 private:
  std::string command_;
  std::ostream& err_;
  bool stdinTaken_ = false;
  bool refused_ = false;
};

// One item typed as an argument (mqnet grep's PATTERNS); false when refused, with *error saying why.
bool readItem(std::string_view item, net::Range& range, std::string* error);

}  // namespace mq::mqnet
