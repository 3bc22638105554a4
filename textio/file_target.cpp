#include "textio/file_target.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mq::textio {

namespace {

constexpr int kMaxLinks = 40;  // as the system follows them

}  // namespace

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

LinkEnd followLinks(const std::string& path)
{
    std::string target = path;
    for (int hops = 0;; ++hops) {
        struct stat st { };
        if (::lstat(target.c_str(), &st) != 0)
            return errno == ENOENT ? LinkEnd{target} : LinkEnd{target, errno};  // ENOENT: a new file
        if (!S_ISLNK(st.st_mode))
            return {target};
        if (hops == kMaxLinks)
            return {target, ELOOP};
        char link[PATH_MAX];
        const ssize_t n = ::readlink(target.c_str(), link, sizeof link);
        if (n < 0 || static_cast<std::size_t>(n) == sizeof link)
            return {target, n < 0 ? errno : ENAMETOOLONG};
        std::string next(link, static_cast<std::size_t>(n));
        if (next.front() != '/' && target.find('/') != std::string::npos)
            next = folderOf(target) + "/" + next;
        target = std::move(next);
    }
}

std::string fileKind(unsigned mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a pipe (FIFO)";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a regular file";
}

bool sameFile(const std::string& a, const std::string& b)
{
    struct stat x { };
    struct stat y { };
    return ::stat(a.c_str(), &x) == 0 && ::stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

TargetState targetState(const std::string& target)
{
    struct stat st { };
    if (::stat(target.c_str(), &st) == 0)
        return {true, S_ISREG(st.st_mode) ? 0u : static_cast<unsigned>(st.st_mode & S_IFMT), 0};
    if (errno != ENOENT)
        return {false, 0, errno};
    // A new file: its folder must be there.
    if (::stat(folderOf(target).c_str(), &st) != 0)
        return {false, 0, errno};
    return {false, 0, S_ISDIR(st.st_mode) ? 0 : ENOTDIR};
}

int replaceRefusal(const std::string& target, bool* markedReadOnly)
{
    if (markedReadOnly)
        *markedReadOnly = false;
    struct stat st { };
    if (::stat(target.c_str(), &st) != 0)
        return 0;  // nothing to replace
    const int denied = ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
    // A read-only file system is the cause whatever the file's mode says.
    if (S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0 && (denied == 0 || denied == EACCES)) {
        if (markedReadOnly)
            *markedReadOnly = true;
        return EACCES;
    }
    return denied;
}

}  // namespace mq::textio
