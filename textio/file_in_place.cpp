// The writes that do not go through a temporary file: a device or named pipe, and a file in
// a folder that takes no temporary (textio/file_writer.h).
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "textio/file_writer.h"

namespace mq::textio {

namespace {

std::string errnoText(int code)
{
    return std::strerror(code);
}

WriteFault noted(WriteStep step, int error, std::string note, const std::string& target)
{
    WriteFault f;
    f.step = step;
    f.error = error;
    f.note = std::move(note);
    f.target = target;
    return f;
}

// Devices and pipes, opened without waiting and written as they take data.
class DeviceOutput : public ByteOutput {
public:
    DeviceOutput(int descriptor, std::chrono::milliseconds wait) : fd(descriptor), patience(wait) { }
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

// Writes at an offset of an open file, remembering the cause of a failure.
class FileRangeOutput : public ByteOutput {
public:
    FileRangeOutput(int descriptor, off_t start) : fd(descriptor), at(start) { }
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
    FileRangeOutput front(fd, 0);
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

// The new contents after the old ones, and the old bytes they will cover kept; false with
// the sink's error set when either failed.
bool appendAndKeep(int fd, off_t oldSize, const Producer& produce, FileRangeOutput& sink, std::string& covered)
{
    bool written = produce(sink) && (::fsync(fd) == 0 || sink.fail(errno));
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
    return written;
}

}  // namespace

WriteFault writeInPlace(const std::string& file, const Producer& produce)
{
    const int fd = ::open(file.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return noted(WriteStep::Write, errno, {}, file);
    struct stat st { };
    if (::fstat(fd, &st) != 0) {
        const int cause = errno;
        ::close(fd);
        return noted(WriteStep::Write, cause, {}, file);
    }
    const off_t oldSize = st.st_size;
    FileRangeOutput sink(fd, oldSize);
    std::string covered;  // the old bytes the new ones go over
    if (!appendAndKeep(fd, oldSize, produce, sink, covered)) {
        const bool cut = ::ftruncate(fd, oldSize) == 0;
        ::close(fd);
        return noted(WriteStep::Write, sink.cause,
                     (sink.error.empty() ? std::string("The file could not be written completely.") : sink.error) +
                         (cut ? leftAsItWas(sink.cause)
                              : std::string("\n\nThe file now ends in part of the new contents after the old ones.")),
                     file);
    }
    const off_t newSize = sink.end() - oldSize;
    if (oldSize > 0 && (!moveToFront(fd, oldSize, newSize) || ::fsync(fd) != 0)) {
        const int cause = errno;
        FileRangeOutput back(fd, 0);
        const bool restored = back.write(covered) && ::ftruncate(fd, oldSize) == 0 && ::fsync(fd) == 0;
        ::close(fd);
        return noted(
            WriteStep::Write, cause,
            errnoText(cause) +
                (restored ? leftAsItWas(0)
                          : std::string("\n\nThe old contents could not be put back: the file may now be incomplete.")),
            file);
    }
    const bool done = ::ftruncate(fd, newSize) == 0 && ::fsync(fd) == 0;
    const int cause = errno;
    if (::close(fd) != 0 || !done)
        return noted(WriteStep::Write, done ? errno : cause, {}, file);
    return {};
}

WriteFault writeDevice(const std::string& file, unsigned kind, const Producer& produce,
                       std::chrono::milliseconds patience)
{
    if (S_ISSOCK(kind))
        return noted(WriteStep::Target, 0, "It is a socket, which cannot be written as a file.", file);
    const int fd = ::open(file.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int cause = errno;
        return noted(WriteStep::Write, cause,
                     S_ISFIFO(kind) && cause == ENXIO
                         ? "It is a named pipe that no program is reading from, so nothing was written."
                         : std::string(),
                     file);
    }
    DeviceOutput sink(fd, patience);
    const bool written = produce(sink);
    const int closeErrno = ::close(fd) == 0 ? 0 : errno;
    if (!written)
        return noted(WriteStep::Write, 0,
                     sink.error.empty() ? "The device could not take all of the content." : sink.error, file);
    if (closeErrno != 0)
        return noted(WriteStep::Write, closeErrno, {}, file);
    return {};
}

}  // namespace mq::textio
