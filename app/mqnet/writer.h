#pragma once
// Output through one large buffer handed to fwrite: listings of millions of rows cost no
// iostream call per row and no memory that grows with the row count.
#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "net/address.h"

namespace mq::mqnet {

class BufferedWriter {
 public:
  static constexpr std::size_t kSize = 1 << 20;
  explicit BufferedWriter(std::FILE* file);
  ~BufferedWriter();  // flushes; call flush() first to learn whether that worked
  BufferedWriter(const BufferedWriter&) = delete;
  BufferedWriter& operator=(const BufferedWriter&) = delete;

  // Room for n bytes (n <= kSize) at the end of the buffer; write into it, then commit(end).
  char* room(std::size_t n) {
    if (static_cast<std::size_t>(end_ - next_) < n) drain();
    return next_;
  }
  void commit(char* end) { next_ = end; }

  void write(std::string_view text);
  void put(char c) { *room(1) = c; ++next_; }
  void address(const net::Address& a) { commit(net::writeAddress(room(net::kAddressRoom), a)); }
  void decimal(net::u128 v) { commit(net::writeDecimal(room(net::kMaxDecimalChars), v)); }

  // Writes what is buffered; false once any write failed (error() says why).
  bool flush();
  const std::string& error() const { return error_; }

 private:
  void drain();
  std::FILE* file_;
  std::unique_ptr<char[]> buffer_;
  char* next_;
  char* end_;
  std::string error_;
};

}  // namespace mq::mqnet
