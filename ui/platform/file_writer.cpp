#include "ui/platform/file_writer.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <new>
#include <poll.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace mq::ui {

namespace {

std::string errnoText(int code)
{
    return std::strerror(code);
}

// A reader that goes away (SIGPIPE) or a file size limit (SIGXFSZ) would end
// the program; during a save they become the write's error instead.
class QuietWriteSignals {
public:
    QuietWriteSignals()
    {
        sigemptyset(&quiet);
        sigaddset(&quiet, SIGPIPE);
        sigaddset(&quiet, SIGXFSZ);
        pthread_sigmask(SIG_BLOCK, &quiet, &saved);
        sigset_t pending;
        sigpending(&pending);
        for (int s : {SIGPIPE, SIGXFSZ})
            if (sigismember(&pending, s))
                sigdelset(&quiet, s);  // not ours to take away
    }
    ~QuietWriteSignals()
    {
        const timespec now{};
        while (sigtimedwait(&quiet, nullptr, &now) > 0) { }
        pthread_sigmask(SIG_SETMASK, &saved, nullptr);
    }
    QuietWriteSignals(const QuietWriteSignals&) = delete;
    QuietWriteSignals& operator=(const QuietWriteSignals&) = delete;

private:
    sigset_t quiet{};
    sigset_t saved{};
};

class SaveFileSink : public ByteSink {
public:
    explicit SaveFileSink(QSaveFile& f) : file(f) { }
    bool write(std::string_view bytes) override
    {
        // A short write is tried again, so that the next call names the cause
        // (a full disk shows as a short count first).
        while (!bytes.empty()) {
            const qint64 n = file.write(bytes.data(), static_cast<qint64>(bytes.size()));
            if (n <= 0)
                return false;
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        return true;
    }

private:
    QSaveFile& file;
};

// Devices and pipes, opened without waiting and written as they take data.
class DeviceSink : public ByteSink {
public:
    DeviceSink(int descriptor, std::chrono::milliseconds wait) : fd(descriptor), patience(wait) { }
    bool write(std::string_view bytes) override
    {
        while (!bytes.empty()) {
            const ssize_t n = ::write(fd, bytes.data(), bytes.size());
            if (n > 0) {
                bytes.remove_prefix(static_cast<std::size_t>(n));
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                pollfd p{fd, POLLOUT, 0};
                const int ready = ::poll(&p, 1, static_cast<int>(patience.count()));
                if (ready == 0)
                    return fail("The program reading from it stopped taking data.");
                if (ready < 0 && errno != EINTR)
                    return fail(errnoText(errno));
            } else {
                return fail(n < 0 ? errnoText(errno) : "The device took no more data.");
            }
        }
        return true;
    }
    std::string error;

private:
    bool fail(std::string why)
    {
        error = std::move(why);
        return false;
    }
    int fd;
    std::chrono::milliseconds patience;
};

bool writeDevice(const QByteArray& name, const struct stat& st, const std::function<bool(ByteSink&)>& produce,
                 std::string& error, std::chrono::milliseconds patience)
{
    if (S_ISSOCK(st.st_mode)) {
        error = "It is a socket, which cannot be written as a file.";
        return false;
    }
    const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = S_ISFIFO(st.st_mode) && errno == ENXIO
                    ? "It is a named pipe that no program is reading from, so nothing was written."
                    : errnoText(errno);
        return false;
    }
    DeviceSink sink(fd, patience);
    const bool written = produce(sink);
    const int closeErrno = ::close(fd) == 0 ? 0 : errno;
    if (!written) {
        error = sink.error.empty() ? "The device could not take all of the content." : sink.error;
        return false;
    }
    if (closeErrno != 0) {
        error = errnoText(closeErrno);
        return false;
    }
    return true;
}

constexpr int kMaxLinks = 40;  // as the system follows them

// The end of a chain of symbolic links, which is what gets written: a link
// that points nowhere names the file to create. Empty after too many links.
QString finalTarget(const QString& name)
{
    QFileInfo info(name);
    for (int links = 0; info.isSymLink(); ++links) {
        if (links == kMaxLinks)
            return {};
        info.setFile(info.symLinkTarget());
    }
    return info.absoluteFilePath();
}

// A file replaced keeps its owner where the program may give it away (as
// root), else at least its group; and then its mode, which a change of owner
// may have cut down.
void keepOwnerAndMode(int fd, const struct stat& old)
{
    if (::fchown(fd, old.st_uid, old.st_gid) != 0)
        (void)!::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    (void)!::fchmod(fd, old.st_mode & 07777);
}

QByteArray folderOf(const QString& target)
{
    return QFile::encodeName(QFileInfo(target).absolutePath());
}

bool exists(const QByteArray& path)
{
    struct stat st { };
    return ::stat(path.constData(), &st) == 0;
}

// "Read-only file system" when nothing there may be written, whatever the permissions say.
std::string readOnlyCause(const QByteArray& file, const QByteArray& folder)
{
    struct statvfs fs { };
    if (::statvfs(exists(file) ? file.constData() : folder.constData(), &fs) == 0 && (fs.f_flag & ST_RDONLY))
        return errnoText(EROFS);
    return {};
}

// The cause behind QSaveFile's refusal to open, which names only its own view of it.
std::string openFailureCause(const QByteArray& file, const QByteArray& folder, const QString& qtMessage)
{
    if (exists(file) && ::faccessat(AT_FDCWD, file.constData(), W_OK, AT_EACCESS) != 0)
        return errnoText(errno);
    if (::faccessat(AT_FDCWD, folder.constData(), W_OK | X_OK, AT_EACCESS) != 0)
        return errnoText(errno);
    return qtMessage.toStdString();
}

// Writes at an offset of an open file, remembering the cause of a failure.
class FileRangeSink : public ByteSink {
public:
    FileRangeSink(int descriptor, off_t start) : fd(descriptor), at(start) { }
    bool write(std::string_view bytes) override
    {
        while (!bytes.empty()) {
            const ssize_t n = ::pwrite(fd, bytes.data(), bytes.size(), at);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return fail(n < 0 ? errno : ENOSPC);
            bytes.remove_prefix(static_cast<std::size_t>(n));
            at += n;
        }
        return true;
    }
    bool fail(int code)
    {
        if (error.empty()) {
            error = errnoText(code);
            cause = code;
        }
        errno = code;
        return false;
    }
    off_t end() const { return at; }
    std::string error;
    int cause = 0;

private:
    int fd;
    off_t at;
};

bool readAt(int fd, char* into, std::size_t size, off_t at)
{
    while (size > 0) {
        const ssize_t n = ::pread(fd, into, size, at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            errno = n < 0 ? errno : EIO;
            return false;
        }
        into += n;
        size -= static_cast<std::size_t>(n);
        at += n;
    }
    return true;
}

// Copies `size` bytes from `from` down to the start of the file (from > 0, so
// every write lands before what is still to be read).
bool moveToFront(int fd, off_t from, off_t size)
{
    std::vector<char> buffer(1 << 16);
    FileRangeSink front(fd, 0);
    for (off_t done = 0; done < size;) {
        const auto n = static_cast<std::size_t>(std::min<off_t>(size - done, static_cast<off_t>(buffer.size())));
        if (!readAt(fd, buffer.data(), n, from + done) || !front.write(std::string_view(buffer.data(), n)))
            return false;
        done += static_cast<off_t>(n);
    }
    return true;
}

std::string leftAsItWas(int cause)
{
    std::string note = "\n\nThe file was left as it was.";
    if (cause == ENOSPC || cause == EDQUOT)
        note += " Its folder may not be written, so the new contents go into the file itself, and they need "
                "room beside the old ones until they are complete.";
    return note;
}

// The folder cannot take a temporary file, so the file itself is rewritten, without
// putting its old contents at risk. The new contents go after the old ones first: a
// disk that fills up, a size limit or a failed producer only cuts them off again.
// Once they are complete and on the disk they move to the front, and the old bytes
// they cover are kept in memory, to be put back should that fail.
bool writeInPlace(const QByteArray& file, const std::function<bool(ByteSink&)>& produce, std::string& error)
{
    const int fd = ::open(file.constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = errnoText(errno);
        return false;
    }
    struct stat st { };
    if (::fstat(fd, &st) != 0) {
        error = errnoText(errno);
        ::close(fd);
        return false;
    }
    const off_t oldSize = st.st_size;
    FileRangeSink sink(fd, oldSize);
    bool written = produce(sink) && (::fsync(fd) == 0 || sink.fail(errno));
    std::string covered;  // the old bytes the new ones go over
    if (written && oldSize > 0) {
        try {
            covered.resize(static_cast<std::size_t>(std::min(oldSize, sink.end() - oldSize)));
        } catch (const std::bad_alloc&) {
            sink.error = "There is not enough memory to keep the old contents while the file is rewritten.";
            written = false;
        }
        if (written && !readAt(fd, covered.data(), covered.size(), 0))
            written = sink.fail(errno);
    }
    if (!written) {
        const bool cut = ::ftruncate(fd, oldSize) == 0;
        ::close(fd);
        error = (sink.error.empty() ? std::string("The file could not be written completely.") : sink.error) +
                (cut ? leftAsItWas(sink.cause)
                     : std::string("\n\nThe file now ends in part of the new contents after the old ones."));
        return false;
    }
    const off_t newSize = sink.end() - oldSize;
    if (oldSize > 0 && (!moveToFront(fd, oldSize, newSize) || ::fsync(fd) != 0)) {
        error = errnoText(errno);
        FileRangeSink back(fd, 0);
        const bool restored = back.write(covered) && ::ftruncate(fd, oldSize) == 0 && ::fsync(fd) == 0;
        ::close(fd);
        error += restored ? leftAsItWas(0)
                          : std::string("\n\nThe old contents could not be put back: the file may now be incomplete.");
        return false;
    }
    const bool done = ::ftruncate(fd, newSize) == 0 && ::fsync(fd) == 0;
    const int cause = errno;
    if (::close(fd) != 0 || !done) {
        error = errnoText(done ? errno : cause);
        return false;
    }
    return true;
}

bool writePlainFile(const QString& target, const std::function<bool(ByteSink&)>& produce, std::string& error)
{
    const QByteArray file = QFile::encodeName(target);
    const QByteArray folder = folderOf(target);
    if (std::string why = readOnlyCause(file, folder); !why.empty()) {
        error = std::move(why);
        return false;
    }
    // An existing file the user may write, in a folder that takes no temporary file.
    struct stat st { };
    if (::stat(file.constData(), &st) == 0 && S_ISREG(st.st_mode) &&
        ::faccessat(AT_FDCWD, folder.constData(), W_OK, AT_EACCESS) != 0 &&
        ::faccessat(AT_FDCWD, file.constData(), W_OK, AT_EACCESS) == 0)
        return writeInPlace(file, produce, error);
    const bool replacing = ::stat(file.constData(), &st) == 0 && S_ISREG(st.st_mode);
    QSaveFile save(target);
    // Unbuffered, so a write error shows in write()'s result instead of being
    // lost in a later flush.
    if (!save.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        error = openFailureCause(file, folder, save.errorString());
        return false;
    }
    if (replacing)
        keepOwnerAndMode(save.handle(), st);
    SaveFileSink sink(save);
    if (!produce(sink)) {
        error = save.error() != QFileDevice::NoError ? save.errorString().toStdString()
                                                     : std::string("The file could not be written completely.");
        save.cancelWriting();
        return false;
    }
    if (!save.commit()) {
        error = save.errorString().toStdString();
        return false;
    }
    return true;
}

bool save(const std::string& path, const std::function<bool(ByteSink&)>& produce, std::string& error,
          std::chrono::milliseconds patience, bool devicesInPlace)
{
    if (path.empty()) {
        error = "No file name was given.";
        return false;
    }
    const QString target = finalTarget(QString::fromStdString(path));
    if (target.isEmpty()) {
        error = errnoText(ELOOP);
        return false;
    }
    const QByteArray encoded = QFile::encodeName(target);
    QuietWriteSignals quiet;
    struct stat st { };
    if (::stat(encoded.constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
        if (devicesInPlace && !S_ISDIR(st.st_mode))
            return writeDevice(encoded, st, produce, error, patience);
        error = "It is " + fileKind(st.st_mode) + ", not a regular file.";
        return false;
    }
    return writePlainFile(target, produce, error);
}

}  // namespace

std::string fileKind(mode_t mode)
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

bool saveFile(const std::string& path, const std::function<bool(ByteSink&)>& produce, std::string& error,
              std::chrono::milliseconds patience)
{
    return save(path, produce, error, patience, true);
}

bool saveDocument(const std::string& path, const std::function<bool(ByteSink&)>& produce, std::string& error)
{
    return save(path, produce, error, kPipePatience, false);
}

}  // namespace mq::ui
