#include "ui/platform/file_writer.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

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
        while (sigtimedwait(&quiet, nullptr, &now) > 0) {
        }
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
    explicit SaveFileSink(QSaveFile& f) : file(f) {}
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
    DeviceSink(int descriptor, std::chrono::milliseconds wait) : fd(descriptor), patience(wait) {}
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

// QSaveFile's fallback writes in place when the folder refuses the temporary
// file; a failure then cannot bring the old content back.
bool folderRefusesTemporaryFile(const QString& name)
{
    const QFileInfo info(name);
    if (!info.exists())
        return false;
    const QString target = info.isSymLink() ? info.canonicalFilePath() : info.absoluteFilePath();
    return ::access(QFile::encodeName(QFileInfo(target).absolutePath()).constData(), W_OK) != 0;
}

bool writePlainFile(const QString& name, const std::function<bool(ByteSink&)>& produce, std::string& error)
{
    const bool inPlace = folderRefusesTemporaryFile(name);
    QSaveFile file(name);
    file.setDirectWriteFallback(true);
    // Unbuffered, so a write error shows in write()'s result instead of being
    // lost in a later flush.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        error = file.errorString().toStdString();
        return false;
    }
    SaveFileSink sink(file);
    if (!produce(sink)) {
        error = file.error() != QFileDevice::NoError ? file.errorString().toStdString()
                                                     : std::string("The file could not be written completely.");
        if (inPlace)
            error += "\n\nIts folder may not be written, so the file was written in place and may now be incomplete.";
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        error = file.errorString().toStdString();
        return false;
    }
    return true;
}

}  // namespace

bool saveFile(const std::string& path, const std::function<bool(ByteSink&)>& produce, std::string& error,
              std::chrono::milliseconds patience)
{
    if (path.empty()) {
        error = "No file name was given.";
        return false;
    }
    const QString name = QString::fromStdString(path);
    const QByteArray encoded = QFile::encodeName(name);
    QuietWriteSignals quiet;
    struct stat st {};
    if (::stat(encoded.constData(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
        return writeDevice(encoded, st, produce, error, patience);
    return writePlainFile(name, produce, error);
}

}  // namespace mq::ui
