#include "app/mqnet/plan_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "textio/escape.h"
#include "textio/lines.h"

namespace mq::mqnet {

std::optional<std::string> readWholeFile(const Invocation& call, const std::string& path) {
  const std::string source = path == "-" ? "standard input" : path;
  std::string error;
  std::FILE* in = textio::openInput(path, &error);
  if (!in) {
    call.refuse(path == "-" ? error : "cannot open " + textio::escaped(source) + ": " + error);
    return std::nullopt;
  }
  std::string text;
  char buf[1 << 16];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, in)) > 0 && text.size() <= kMaxPlanFileBytes) text.append(buf, n);
  const bool failed = std::ferror(in);
  const int cause = errno;
  textio::closeInput(in);
  if (failed) {
    call.refuse("cannot read " + textio::escaped(source) + ": " + std::strerror(cause));
    return std::nullopt;
  }
  if (text.size() > kMaxPlanFileBytes) {
    call.refuse(textio::escaped(source) + " is larger than 512 MiB");
    return std::nullopt;
  }
  return text;
}

std::string writeFileAtomically(const std::string& path, const std::string& text) {
  std::string temp = path + ".XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return "cannot create a file beside " + textio::escaped(path) + ": " + std::strerror(errno);
  auto fail = [&](const char* what) {
    const std::string cause = std::strerror(errno);
    ::close(fd);
    ::unlink(temp.c_str());
    return std::string(what) + " " + textio::escaped(path) + ": " + cause;
  };
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t w = ::write(fd, text.data() + done, text.size() - done);
    if (w < 0 && errno == EINTR) continue;
    if (w < 0) return fail("cannot write");
    done += static_cast<std::size_t>(w);
  }
  const mode_t mask = ::umask(0);  // a new file's mode, as any other program's
  ::umask(mask);
  if (::fchmod(fd, 0666 & ~mask) != 0 || ::fsync(fd) != 0) return fail("cannot write");
  if (::close(fd) != 0) {
    const std::string cause = std::strerror(errno);
    ::unlink(temp.c_str());
    return "cannot write " + textio::escaped(path) + ": " + cause;
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    const std::string cause = std::strerror(errno);
    ::unlink(temp.c_str());
    return "cannot replace " + textio::escaped(path) + ": " + cause;
  }
  return {};
}

}  // namespace mq::mqnet
