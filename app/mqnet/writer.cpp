#include "app/mqnet/writer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace mq::mqnet {

BufferedWriter::BufferedWriter(std::FILE* file)
    : file_(file), buffer_(new char[kSize]), next_(buffer_.get()), end_(buffer_.get() + kSize) {}

BufferedWriter::~BufferedWriter() { flush(); }

void BufferedWriter::drain() {
  const std::size_t n = static_cast<std::size_t>(next_ - buffer_.get());
  next_ = buffer_.get();
  if (n == 0 || !error_.empty()) return;  // after a failure the rest is dropped, not retried
  if (std::fwrite(buffer_.get(), 1, n, file_) != n) error_ = std::strerror(errno);
}

void BufferedWriter::write(std::string_view text) {
  while (!text.empty()) {
    const std::size_t n = std::min(text.size(), kSize);
    char* at = room(n);
    std::memcpy(at, text.data(), n);
    commit(at + n);
    text.remove_prefix(n);
  }
}

bool BufferedWriter::flush() {
  drain();
  if (error_.empty() && std::fflush(file_) != 0) error_ = std::strerror(errno);
  return error_.empty();
}

}  // namespace mq::mqnet
