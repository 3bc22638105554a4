#pragma once
// Output through one large buffer written straight to a file descriptor: listings of millions
// of rows cost no call per row and no memory that grows with the row count. The first failed
// write is kept; everything after it is dropped, so a loop that checks failed() stops at once.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "net/address.h"

namespace mq::mqnet {

class BufferedWriter {
public:
    static constexpr std::size_t kSize = 1 << 20;
    explicit BufferedWriter(int fd, std::size_t size = kSize);
    BufferedWriter(const BufferedWriter&) = delete;
    BufferedWriter& operator=(const BufferedWriter&) = delete;

    // Room for n bytes (n <= the buffer's size) at the end of the buffer; write into it, then
    // commit(end).
    char* room(std::size_t n)
    {
        if (static_cast<std::size_t>(end_ - next_) < n)
            drain();
        return next_;
    }
    void commit(char* end) { next_ = end; }

    void write(std::string_view text);
    void put(char c)
    {
        *room(1) = c;
        ++next_;
    }
    void address(const net::Address& a) { commit(net::writeAddress(room(net::kAddressRoom), a)); }
    void decimal(net::u128 v) { commit(net::writeDecimal(room(net::kMaxDecimalChars), v)); }

    // Writes what is buffered; false once any write failed.
    bool flush();
    bool failed() const { return !error_.empty(); }
    const std::string& error() const { return error_; }  // the cause of the first failure

private:
    void drain();
    int fd_;
    std::size_t size_;
    std::unique_ptr<char[]> buffer_;
    char* next_;
    char* end_;
    std::string error_;
};

// Rows of cells as aligned columns, two blanks apart, one row a line; widths count
// characters, not bytes, so that names in any script line up. Stops once a write failed.
void writeColumns(BufferedWriter& out, const std::vector<std::vector<std::string>>& rows);
// The same for rows made one at a time: row(i, cells) fills the cells of row i, and is called
// twice for each row (once to measure the columns, once to write), so that a table of
// millions of rows is never held whole.
using RowFn = std::function<void(std::size_t i, std::vector<std::string>& cells)>;
void writeColumns(BufferedWriter& out, std::size_t rows, const RowFn& row);

}  // namespace mq::mqnet
