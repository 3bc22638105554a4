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
#include "textio/file_target.h"
#include "textio/file_writer.h"

namespace mq::deploy {

namespace {

struct Staged {
    textio::StagedFile file;  // not opened when the old file already holds the text
    std::string backup;  // "" when there was no old file
};

std::string cause(const std::string& name, int error = errno)
{
    return textio::escaped(name, textio::kQuotedValue) + ": " + std::strerror(error);
}

bool plainName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
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

std::string stage(const std::string& folder, const OutputFile& file, Staged& s)
{
    const std::string target = folder + "/" + file.name;
    struct stat old { };
    const bool exists = lstat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return textio::escaped(file.name, textio::kQuotedValue) + ": is not a regular file; nothing was written";
    if (exists && holds(target, old, file.text))
        return {};  // no temp: nothing to rename or put back
    bool marked = false;
    if (const int refusal = exists ? textio::replaceRefusal(target, &marked) : 0)
        return marked ? textio::escaped(file.name, textio::kQuotedValue) + ": is read-only; nothing was written"
                      : cause(file.name, refusal);
    // Synced all at once by the caller.
    if (!s.file.open(target) || !s.file.write(file.text) || !s.file.finish(false))
        return cause(file.name, s.file.error());
    if (exists) {
        std::string pattern = folder + "/." + file.name + ".old-XXXXXX";
        const int b = mkstemp(pattern.data());
        if (b < 0)
            return cause(file.name);
        ::close(b);
        // link() will not replace: the placeholder goes first, its unique name stays ours.
        if (unlink(pattern.c_str()) != 0 || link(target.c_str(), pattern.c_str()) != 0)
            return cause(file.name);
        s.backup = std::move(pattern);
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
    const textio::QuietWriteSignals quiet;
    std::vector<Staged> staged(files.size());
    std::string failure;
    std::size_t placed = 0;
    for (std::size_t i = 0; i < files.size() && failure.empty(); ++i)
        failure = stage(folder, files[i], staged[i]);
    if (failure.empty())
        failure = flush(handle, folder);
    while (failure.empty() && placed < files.size()) {
        if (!staged[placed].file.temp().empty() && !staged[placed].file.place())
            failure = cause(files[placed].name, staged[placed].file.error());
        else
            ++placed;
    }
    if (!failure.empty()) {
        for (std::size_t i = 0; i < placed; ++i) {  // put back what was there
            if (staged[i].file.temp().empty())
                continue;  // left as it was
            if (!staged[i].backup.empty())
                (void)std::rename(staged[i].backup.c_str(), staged[i].file.target().c_str());
            else
                (void)unlink(staged[i].file.target().c_str());
        }
    }
    for (Staged& s : staged)
        if (!s.backup.empty())
            (void)unlink(s.backup.c_str());
    staged.clear();  // the temporaries not renamed go with their files
    (void)fsync(handle.fd());
    return failure;
}

}  // namespace mq::deploy
