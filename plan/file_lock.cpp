#include "plan/file_lock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mq::plan {

FileLock& FileLock::operator=(FileLock&& other) noexcept
{
    if (this != &other) {
        release();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

void FileLock::release()
{
    if (fd_ >= 0)
        ::close(fd_);  // closing the last descriptor drops the lock
    fd_ = -1;
}

std::string FileLock::lock(const std::string& path)
{
    release();
    for (;;) {
        // O_NONBLOCK: a FIFO in the plan's place must not hang the open; it is no plan, and
        // the reader says so.
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            return errno == ENOENT ? std::string() : std::strerror(errno);
        struct stat held { };
        if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
            ::close(fd);
            return {};
        }
        int r;
        while ((r = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) { }
        if (r != 0) {
            const std::string cause = std::strerror(errno);
            ::close(fd);
            return cause;
        }
        struct stat now { };
        if (::stat(path.c_str(), &now) == 0 && now.st_dev == held.st_dev && now.st_ino == held.st_ino) {
            fd_ = fd;
            return {};
        }
        ::close(fd);  // replaced while we waited: lock the file it holds now
    }
}

std::optional<FileStamp> stampOf(const std::string& path)
{
    struct stat st { };
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return FileStamp{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                     static_cast<std::uint64_t>(st.st_size),
                     static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

}  // namespace mq::plan
