#include "app/mqnet/plan_files.h"
#include "app/mqnet/list_file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "plan/document.h"
#include "textio/escape.h"
#include "textio/lines.h"

namespace mq::mqnet {

namespace {

constexpr std::size_t kFirstBlock = std::size_t{1} << 16;
constexpr int kMaxLinks = 40;  // as the system follows them

std::string kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISFIFO(mode))
        return "a pipe (FIFO)";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a regular file";
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The end of path's chain of symbolic links, whether it exists or not; or the cause (as the
// fault's message) when it cannot be followed.
net::Parsed<std::string> followLinks(const std::string& path)
{
    const auto cause = [](int error) { return net::ParseError{0, std::strerror(error)}; };
    std::string target = path;
    for (int hops = 0;; ++hops) {
        struct stat st { };
        if (::lstat(target.c_str(), &st) != 0) {
            if (errno == ENOENT)
                return target;  // a new file, or the one a dangling link names
            return cause(errno);
        }
        if (!S_ISLNK(st.st_mode))
            return target;
        if (hops == kMaxLinks)
            return cause(ELOOP);
        char link[PATH_MAX];
        const ssize_t n = ::readlink(target.c_str(), link, sizeof link);
        if (n < 0 || static_cast<std::size_t>(n) == sizeof link)
            return cause(n < 0 ? errno : ENAMETOOLONG);
        std::string next(link, static_cast<std::size_t>(n));
        if (next.front() != '/' && target.find('/') != std::string::npos)
            next = folderOf(target) + "/" + next;
        target = std::move(next);
    }
}

// "out.mqplan", or "out.mqplan (a link to /dev/full)" when the write lands elsewhere.
std::string named(const std::string& path, const std::string& target)
{
    return textio::escaped(path) + (target == path ? std::string() : " (a link to " + textio::escaped(target) + ")");
}

}  // namespace

std::optional<FileText> readWholeFile(const Invocation& call, const std::string& path)
{
    const std::string source = sourceName(path);
    call.input = source;
    std::FILE* in = openInputFile(call, path);
    if (!in)
        return std::nullopt;
    // A regular file's size is known: one block of that size, and a byte more to see that it
    // ends there. Anything else grows by doubling, never past one byte over the limit.
    std::size_t want = kFirstBlock;
    struct stat st { };
    if (::fstat(::fileno(in), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
        want = std::min(static_cast<std::size_t>(st.st_size), kMaxPlanFileBytes) + 1;
    FileText text;
    bool failed = false, noMemory = false;
    int cause = 0;
    while (text.size_ <= kMaxPlanFileBytes) {
        if (text.size_ == text.capacity_) {
            const std::size_t grown = text.capacity_ ? std::min(text.capacity_ * 2, kMaxPlanFileBytes + 1) : want;
            char* more = static_cast<char*>(std::realloc(text.data_.get(), grown));
            if (!more) {
                noMemory = true;
                break;
            }
            (void)text.data_.release();
            text.data_.reset(more);
            text.capacity_ = grown;
        }
        const std::size_t n = std::fread(text.data_.get() + text.size_, 1, text.capacity_ - text.size_, in);
        text.size_ += n;
        if (n == 0) {
            failed = std::ferror(in);
            cause = errno;
            break;
        }
    }
    textio::closeInput(in);
    if (noMemory) {
        call.refuse("not enough memory to read " + textio::escaped(source));
        return std::nullopt;
    }
    if (failed) {
        call.refuse("cannot read " + textio::escaped(source) + ": " + std::strerror(cause));
        return std::nullopt;
    }
    if (text.size_ > kMaxPlanFileBytes) {
        call.refuse(textio::escaped(source) + " is larger than " + std::to_string(kMaxPlanFileBytes >> 20) + " MiB");
        return std::nullopt;
    }
    return text;
}

std::optional<plan::Plan> readPlanFile(const Invocation& call, const std::string& path, plan::FileLock* lock)
{
    if (lock && path != "-") {
        if (const std::string why = lock->lock(path); !why.empty()) {
            call.refuse("cannot lock " + textio::escaped(path) + ": " + why);
            return std::nullopt;
        }
    }
    auto text = readWholeFile(call, path);
    if (!text)
        return std::nullopt;
    auto read = plan::readDocument(*text);
    text.reset();  // the plan holds all of it now: the text's memory goes before the output's
    if (const auto* e = std::get_if<textio::Problem>(&read)) {
        call.refuse(textio::escaped(path) + ": " + textio::escaped(e->path) + ": " +
                    textio::escaped(e->message, textio::kQuotedReason));
        return std::nullopt;
    }
    return std::move(std::get<plan::Plan>(read));
}

std::optional<interchange::Format> readFormat(const Invocation& call, interchange::Format excluded,
                                              std::string_view last)
{
    const std::string* text = call.args.value("--format");
    if (!text) {
        call.refuse("--format is required: netbox, phpipam, vsc-json, vsc-link or " + std::string(last));
        return std::nullopt;
    }
    const auto format = interchange::parseFormat(*text);
    if (!format || *format == excluded) {
        call.refuse("--format " + textio::escaped(*text) + " is not one of netbox, phpipam, vsc-json, vsc-link, " +
                    std::string(last));
        return std::nullopt;
    }
    return format;
}

net::Parsed<std::string> outputTarget(const std::string& path)
{
    const auto refused = [](std::string why) { return net::ParseError{0, std::move(why)}; };
    auto followed = followLinks(path);
    if (const auto* e = std::get_if<net::ParseError>(&followed))
        return refused("cannot write " + textio::escaped(path) + ": " + e->message);
    const std::string& to = std::get<std::string>(followed);
    struct stat st { };
    if (::stat(to.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return refused("cannot write " + named(path, to) + ": it is " + kindOf(st.st_mode));
        return followed;
    }
    if (errno != ENOENT)
        return refused("cannot write " + named(path, to) + ": " + std::strerror(errno));
    // A new file: its folder must be there.
    if (::stat(folderOf(to).c_str(), &st) != 0)
        return refused("cannot write " + named(path, to) + ": " + std::strerror(errno));
    if (!S_ISDIR(st.st_mode))
        return refused("cannot write " + named(path, to) + ": " + std::strerror(ENOTDIR));
    return followed;
}

std::string writeFileAtomically(const std::string& path, const std::string& text)
{
    const auto checked = outputTarget(path);
    if (const auto* e = std::get_if<net::ParseError>(&checked))
        return e->message;
    const std::string& target = std::get<std::string>(checked);
    struct stat old { };
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    std::string temp = target + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return "cannot create a file beside " + named(path, target) + ": " + std::strerror(errno);
    auto fail = [&](const char* what) {
        const std::string cause = std::strerror(errno);
        ::close(fd);
        ::unlink(temp.c_str());
        return std::string(what) + " " + named(path, target) + ": " + cause;
    };
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t w = ::write(fd, text.data() + done, text.size() - done);
        if (w < 0 && errno == EINTR)
            continue;
        if (w < 0)
            return fail("cannot write");
        done += static_cast<std::size_t>(w);
    }
    mode_t mode = old.st_mode & 07777;
    if (replacing) {
        // The owner where the process may give it away (root), else at least the group; the
        // mode after, as a change of owner clears the set-id bits.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0)
            (void)!::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    } else {
        const mode_t mask = ::umask(0);  // a new file's mode, as any other program's
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0)
        return fail("cannot write");
    if (::close(fd) != 0) {
        const std::string cause = std::strerror(errno);
        ::unlink(temp.c_str());
        return "cannot write " + named(path, target) + ": " + cause;
    }
    if (std::rename(temp.c_str(), target.c_str()) != 0) {
        const std::string cause = std::strerror(errno);
        ::unlink(temp.c_str());
        return "cannot replace " + named(path, target) + ": " + cause;
    }
    // The rename itself on the disk, so that a crash now keeps the new file.
    if (const int dir = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
    return {};
}

std::string planFileFault(const std::string& path)
{
    const auto target = outputTarget(path);
    if (const auto* e = std::get_if<net::ParseError>(&target))
        return e->message;
    const std::string& file = std::get<std::string>(target);
    struct stat st { };
    if (::stat(file.c_str(), &st) != 0)
        return {};  // a new file: outputTarget has seen its folder
    if ((st.st_mode & 0222) == 0)
        return "cannot write " + textio::escaped(path) + ": it is read-only";
    if (::access(file.c_str(), W_OK) != 0)
        return "cannot write " + textio::escaped(path) + ": " + std::strerror(errno);
    return {};
}

std::string writePlanDocument(const std::string& path, const plan::Plan& plan)
{
    if (std::string why = planFileFault(path); !why.empty())
        return why;
    const std::string document = plan::writeDocument(plan);
    if (const std::string why = plan::documentSizeFault(document.size()); !why.empty())
        return "cannot write " + textio::escaped(path) + ": " + why;
    return writeFileAtomically(path, document);
}

}  // namespace mq::mqnet
