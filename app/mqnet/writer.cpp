#include "app/mqnet/writer.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace mq::mqnet {

BufferedWriter::BufferedWriter(int fd, std::size_t size)
    : fd_(fd), size_(size), buffer_(new char[size]), next_(buffer_.get()), end_(buffer_.get() + size)
{
}

void BufferedWriter::drain()
{
    const char* at = buffer_.get();
    const char* const end = next_;
    next_ = buffer_.get();
    while (at < end && error_.empty()) {  // after a failure the rest is dropped, not retried
        const ssize_t n = ::write(fd_, at, static_cast<std::size_t>(end - at));
        if (n > 0) {
            at += n;
        } else if (n < 0 && errno != EINTR) {
            error_ = std::strerror(errno);
        } else if (n == 0) {
            error_ = "nothing could be written";
        }
    }
}

void BufferedWriter::write(std::string_view text)
{
    while (!text.empty()) {
        const std::size_t n = std::min(text.size(), size_);
        char* at = room(n);
        std::memcpy(at, text.data(), n);
        commit(at + n);
        text.remove_prefix(n);
    }
}

bool BufferedWriter::flush()
{
    drain();
    return error_.empty();
}

namespace {

std::size_t characters(std::string_view text)
{
    std::size_t n = 0;
    for (const char c : text)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

}  // namespace

void writeColumns(BufferedWriter& out, std::size_t rows, const RowFn& row)
{
    std::vector<std::size_t> width;
    std::vector<std::string> cells;
    for (std::size_t i = 0; i < rows; ++i) {
        cells.clear();
        row(i, cells);
        width.resize(std::max(width.size(), cells.size()), 0);
        for (std::size_t c = 0; c < cells.size(); ++c)
            width[c] = std::max(width[c], characters(cells[c]));
    }
    std::string line;
    for (std::size_t i = 0; i < rows && !out.failed(); ++i) {
        cells.clear();
        row(i, cells);
        line.clear();
        for (std::size_t c = 0; c < cells.size(); ++c) {
            line += cells[c];
            if (c + 1 < cells.size())
                line.append(width[c] - characters(cells[c]) + 2, ' ');
        }
        line += '\n';
        out.write(line);
    }
}

void writeColumns(BufferedWriter& out, const std::vector<std::vector<std::string>>& rows)
{
    writeColumns(out, rows.size(), [&](std::size_t i, std::vector<std::string>& cells) { cells = rows[i]; });
}

}  // namespace mq::mqnet
