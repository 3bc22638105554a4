#include "textio/file_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include "textio/file_target.h"

namespace mq::textio {

namespace {

// The process's file mode creation mask (umask can only be read by setting it).
mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// The content handed over whole, as a producer.
class Whole {
public:
    explicit Whole(std::string_view content) : content_(content) { }
    bool operator()(ByteOutput& out) const { return out.write(content_); }

private:
    std::string_view content_;
};

WriteFault fault(WriteStep step, int error, const std::string& target)
{
    WriteFault f;
    f.step = step;
    f.error = error;
    f.target = target;
    return f;
}

// A regular file replaced through a temporary beside it.
WriteFault writeStaged(const std::string& target, const Producer& produce)
{
    StagedFile staged;
    if (!staged.open(target))
        return fault(WriteStep::Create, staged.error(), target);
    if (!produce(staged)) {
        WriteFault f = fault(WriteStep::Write, staged.error(), target);
        if (f.error == 0)
            f.note = "The file could not be written completely.";
        return f;
    }
    if (!staged.finish(true))
        return fault(WriteStep::Write, staged.error(), target);
    if (!staged.place())
        return fault(WriteStep::Replace, staged.error(), target);
    syncFolder(folderOf(target));
    return {};
}

}  // namespace

std::string WriteFault::cause() const
{
    return note.empty() ? std::string(std::strerror(error)) : note;
}

WriteFault writeFile(const std::string& path, const Producer& produce, const WriteOptions& how)
{
    if (path.empty())
        return fault(WriteStep::Follow, ENOENT, path);
    const LinkEnd end = followLinks(path);
    if (end.error)
        return fault(WriteStep::Follow, end.error, end.target);
    const std::string& target = end.target;
    const QuietWriteSignals quiet;
    const TargetState there = targetState(target);
    if (there.error)
        return fault(WriteStep::Target, there.error, target);
    if (there.kind) {
        if (how.devicesInPlace && !S_ISDIR(there.kind))
            return writeDevice(target, there.kind, produce, how.patience);
        WriteFault f = fault(WriteStep::Target, 0, target);
        f.kind = there.kind;
        return f;
    }
    if (bool marked = false; there.exists) {
        if (const int refusal = replaceRefusal(target, &marked)) {
            WriteFault f = fault(WriteStep::Refused, refusal, target);
            f.markedReadOnly = marked;
            return f;
        }
    }
    // An existing file the user may write, in a folder that takes no temporary file.
    if (how.inPlaceWhenFolderLocked && there.exists &&
        ::faccessat(AT_FDCWD, folderOf(target).c_str(), W_OK, AT_EACCESS) != 0)
        return writeInPlace(target, produce);
    return writeStaged(target, produce);
}

WriteFault writeFile(const std::string& path, std::string_view content, const WriteOptions& how)
{
    return writeFile(path, Producer(Whole(content)), how);
}

StagedFile::~StagedFile()
{
    discard();
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : target_(std::move(other.target_)), temp_(std::move(other.temp_)), fd_(other.fd_), error_(other.error_),
      replacing_(other.replacing_), placed_(other.placed_), oldMode_(other.oldMode_), oldUid_(other.oldUid_),
      oldGid_(other.oldGid_)
{
    other.fd_ = -1;
    other.temp_.clear();
}

StagedFile& StagedFile::operator=(StagedFile&& other) noexcept
{
    if (this != &other) {
        discard();
        target_ = std::move(other.target_);
        temp_ = std::move(other.temp_);
        fd_ = other.fd_;
        error_ = other.error_;
        replacing_ = other.replacing_;
        placed_ = other.placed_;
        oldMode_ = other.oldMode_;
        oldUid_ = other.oldUid_;
        oldGid_ = other.oldGid_;
        other.fd_ = -1;
        other.temp_.clear();
    }
    return *this;
}

void StagedFile::discard()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temp_.empty() && !placed_)
        (void)::unlink(temp_.c_str());
    temp_.clear();
}

bool StagedFile::fail(int code)
{
    if (error_ == 0)
        error_ = code;
    return false;
}

bool StagedFile::open(const std::string& target)
{
    discard();
    target_ = target;
    error_ = 0;
    placed_ = false;
    struct stat old { };
    replacing_ = ::stat(target.c_str(), &old) == 0;
    oldMode_ = old.st_mode & 07777;
    oldUid_ = old.st_uid;
    oldGid_ = old.st_gid;
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string pattern = folder + "." + name + ".new-XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return fail(errno);
    fd_ = fd;
    temp_ = std::move(pattern);
    return true;
}

bool StagedFile::write(std::string_view bytes)
{
    if (fd_ < 0 || error_)
        return fail(EBADF);
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(n < 0 ? errno : ENOSPC);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool StagedFile::finish(bool sync)
{
    if (fd_ < 0 || error_)
        return fail(EBADF);
    mode_t mode = 0666 & ~currentUmask();  // a new file's mode, as any other program's
    if (replacing_) {
        // The owner where the process may give it away (root), else at least the group; the
        // mode after, as a change of owner clears the set-id bits.
        if (::fchown(fd_, static_cast<uid_t>(oldUid_), static_cast<gid_t>(oldGid_)) != 0)
            (void)!::fchown(fd_, static_cast<uid_t>(-1), static_cast<gid_t>(oldGid_));
        mode = static_cast<mode_t>(oldMode_);
    }
    const bool kept = ::fchmod(fd_, mode) == 0 && (!sync || ::fsync(fd_) == 0);
    const int cause = errno;
    const int closed = ::close(fd_);
    fd_ = -1;
    if (!kept)
        return fail(cause);
    return closed == 0 || fail(errno);
}

bool StagedFile::place()
{
    if (temp_.empty() || fd_ >= 0 || error_)
        return fail(EBADF);
    if (std::rename(temp_.c_str(), target_.c_str()) != 0)
        return fail(errno);
    placed_ = true;
    return true;
}

void syncFolder(const std::string& folder)
{
    if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
}

QuietWriteSignals::QuietWriteSignals()
{
    sigemptyset(&quiet_);
    sigaddset(&quiet_, SIGPIPE);
    sigaddset(&quiet_, SIGXFSZ);
    pthread_sigmask(SIG_BLOCK, &quiet_, &saved_);
    sigset_t pending;
    sigpending(&pending);
    for (int s : {SIGPIPE, SIGXFSZ})
        if (sigismember(&pending, s))
            sigdelset(&quiet_, s);  // not ours to take away
}

QuietWriteSignals::~QuietWriteSignals()
{
    const timespec now{};
    while (sigtimedwait(&quiet_, nullptr, &now) > 0) { }
    pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
}

}  // namespace mq::textio
