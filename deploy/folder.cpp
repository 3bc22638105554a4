// All or none: the files are written beside their targets and synced before any target is
// touched; the old targets are kept as hard links until every rename has gone through, so
// that a failure half-way puts back what was there.
//
// One syncfs() flushes every staged file at once. An fsync or fdatasync of each new file
// costs a journal commit apiece on ext4 and XFS (its size and blocks are metadata), which
// for a site's ten thousand zone files is seconds to minutes; syncfs commits once. Since
// Linux 5.8 it reports any writeback error of the filesystem since the folder was opened,
// so a file that did not reach the disk is still seen. It also flushes what other programs
// left dirty there, and their write errors make this write fail too: the safe side.
#include "deploy/folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "textio/escape.h"

namespace mq::deploy {

namespace {

struct Staged {
    std::string target, temp, backup;  // backup: "" when there was no old file
};

std::string cause(const std::string& name)
{
    return textio::escaped(name, textio::kQuotedValue) + ": " + std::strerror(errno);
}

bool plainName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

// A unique name in the folder, made by creating it: mkstemp's file, opened for writing.
int makeTemp(const std::string& folder, const std::string& name, const char* tag, std::string& path)
{
    std::string pattern = folder + "/." + name + tag + "XXXXXX";
    const int fd = mkstemp(pattern.data());
    path = pattern;
    return fd;
}

// The process's file mode creation mask, read once for all the files of a folder (umask can
// only be read by setting it).
mode_t currentUmask()
{
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

// True when the file already holds exactly text: it stays as it is, with its time, so that a
// second run with nothing changed writes nothing and a server sees only the zones that changed.
bool holds(const std::string& path, const struct stat& st, const std::string& text)
{
    if (static_cast<std::uint64_t>(st.st_size) != text.size())
        return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    std::string read(text.size(), '\0');
    std::size_t done = 0;
    while (done < read.size()) {
        const ssize_t n = ::read(fd, read.data() + done, read.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    char more;
    const bool same = done == read.size() && ::read(fd, &more, 1) == 0 && read == text;
    ::close(fd);
    return same;
}

std::string stage(const std::string& folder, const OutputFile& file, mode_t mask, Staged& s)
{
    s.target = folder + "/" + file.name;
    struct stat old { };
    const bool exists = lstat(s.target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return textio::escaped(file.name, textio::kQuotedValue) + ": is not a regular file; nothing was written";
    if (exists && holds(s.target, old, file.text))
        return {};  // no temp: nothing to rename or put back
    const int fd = makeTemp(folder, file.name, ".new-", s.temp);
    if (fd < 0)
        return cause(file.name);
    std::size_t done = 0;
    while (done < file.text.size()) {
        const ssize_t n = ::write(fd, file.text.data() + done, file.text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const std::string why = cause(file.name);
            ::close(fd);
            return why;
        }
        done += static_cast<std::size_t>(n);
    }
    if (fchmod(fd, exists ? old.st_mode & 07777 : 0666 & ~mask) != 0) {
        const std::string why = cause(file.name);
        ::close(fd);
        return why;
    }
    if (::close(fd) != 0)
        return cause(file.name);
    if (exists) {
        const int b = makeTemp(folder, file.name, ".old-", s.backup);
        if (b < 0)
            return cause(file.name);
        ::close(b);
        // link() will not replace: the placeholder goes first, its unique name stays ours.
        if (unlink(s.backup.c_str()) != 0 || link(s.target.c_str(), s.backup.c_str()) != 0) {
            const std::string why = cause(file.name);
            s.backup.clear();
            return why;
        }
    }
    return {};
}

// The folder, open for syncfs and for the fsync that makes the renames last: opened before
// any file is written, so that syncfs reports the errors of their writeback.
class FolderHandle {
public:
    explicit FolderHandle(const std::string& folder) : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY)) { }
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;
    ~FolderHandle()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int fd() const { return fd_; }

private:
    int fd_;
};

// Every staged file on the disk, or the cause.
std::string flush(const FolderHandle& dir, const std::string& folder)
{
    if (::syncfs(dir.fd()) != 0)
        return "cannot flush the files written into " + textio::escaped(folder, textio::kQuotedPath) + ": " +
               std::strerror(errno);
    return {};
}

}  // namespace

std::string writeFolder(const std::string& folder, const std::vector<OutputFile>& files)
{
    for (const OutputFile& f : files)
        if (!plainName(f.name))
            return textio::escaped(f.name, textio::kQuotedValue) + ": is no plain file name; nothing was written";
    struct stat dir { };
    if (stat(folder.c_str(), &dir) != 0)
        return cause(folder);
    if (!S_ISDIR(dir.st_mode))
        return textio::escaped(folder, textio::kQuotedPath) + ": is not a folder";
    const FolderHandle handle(folder);
    if (handle.fd() < 0)
        return cause(folder);
    std::vector<Staged> staged(files.size());
    std::string failure;
    std::size_t placed = 0;
    const mode_t mask = currentUmask();
    for (std::size_t i = 0; i < files.size() && failure.empty(); ++i)
        failure = stage(folder, files[i], mask, staged[i]);
    if (failure.empty())
        failure = flush(handle, folder);
    while (failure.empty() && placed < files.size()) {
        if (!staged[placed].temp.empty() &&
            std::rename(staged[placed].temp.c_str(), staged[placed].target.c_str()) != 0)
            failure = cause(files[placed].name);
        else
            ++placed;
    }
    if (!failure.empty()) {
        for (std::size_t i = 0; i < placed; ++i) {  // put back what was there
            if (staged[i].temp.empty())
                continue;  // left as it was
            if (!staged[i].backup.empty())
                (void)std::rename(staged[i].backup.c_str(), staged[i].target.c_str());
            else
                (void)unlink(staged[i].target.c_str());
        }
    }
    for (std::size_t i = 0; i < staged.size(); ++i) {
        if (i >= placed && !staged[i].temp.empty())
            (void)unlink(staged[i].temp.c_str());  // the ones renamed are gone already
        if (!staged[i].backup.empty())
            (void)unlink(staged[i].backup.c_str());
    }
    (void)fsync(handle.fd());
    return failure;
}

}  // namespace mq::deploy
