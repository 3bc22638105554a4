#include "textio/lines.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace mq::textio {

namespace {

constexpr std::size_t kBlock = 1 << 20;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// One whole line (without its LF): hands its content on unless it is blank.
bool deliver(std::string_view raw, std::size_t number, const LineFn& fn)
{
    if (number == 1 && raw.starts_with("\xEF\xBB\xBF"))
        raw.remove_prefix(3);
    if (!raw.empty() && raw.back() == '\r')
        raw.remove_suffix(1);
    if (const std::size_t hash = raw.find('#'); hash != std::string_view::npos)
        raw = raw.substr(0, hash);
    std::size_t b = 0, e = raw.size();
    while (b < e && isBlank(raw[b]))
        ++b;
    while (e > b && isBlank(raw[e - 1]))
        --e;
    if (b == e)
        return true;
    return fn(Line{number, raw.substr(b, e - b), false});
}

// Holds what a block boundary cut off, refusing lines beyond the limit as they grow.
class Splitter {
public:
    explicit Splitter(const LineFn& fn) : fn_(fn) { }

    // False when the callback asked to stop.
    bool feed(std::string_view bytes)
    {
        for (;;) {
            const void* nl = bytes.empty() ? nullptr : std::memchr(bytes.data(), '\n', bytes.size());
            if (!nl)
                break;
            const std::size_t len = static_cast<std::size_t>(static_cast<const char*>(nl) - bytes.data());
            if (!endLine(bytes.substr(0, len)))
                return false;
            bytes.remove_prefix(len + 1);
        }
        if (bytes.empty())
            return true;
        if (skipping_)
            return true;
        if (carried_.size() + bytes.size() > kMaxLineBytes + 1) {  // + 1: room for a CR before the LF
            // Refused as soon as it is too long, not when it ends: an endless line (a device,
            // a stream without line ends) is named at once and never held.
            carried_.clear();
            carried_.shrink_to_fit();
            skipping_ = true;
            return fn_(Line{number_ + 1, {}, true});
        }
        carried_.append(bytes);
        return true;
    }

    bool finish()
    {
        if (carried_.empty() && !skipping_)
            return true;
        return endLine({});
    }

    std::size_t lines() const { return number_; }

private:
    bool endLine(std::string_view tail)
    {
        ++number_;
        if (skipping_) {  // already refused
            skipping_ = false;
            return true;
        }
        std::string_view raw = tail;
        if (!carried_.empty()) {
            if (carried_.size() + tail.size() > kMaxLineBytes + 1) {
                carried_.clear();
                return fn_(Line{number_, {}, true});
            }
            carried_.append(tail);
            raw = carried_;
        }
        std::string_view body = raw;
        if (!body.empty() && body.back() == '\r')
            body.remove_suffix(1);
        bool go;
        if (body.size() > kMaxLineBytes) {
            go = fn_(Line{number_, {}, true});
        } else {
            go = deliver(raw, number_, fn_);
        }
        carried_.clear();
        return go;
    }

    const LineFn& fn_;
    std::string carried_;
    bool skipping_ = false;
    std::size_t number_ = 0;
};

}  // namespace

ReadResult readLines(std::string_view text, const LineFn& fn)
{
    Splitter s(fn);
    ReadResult r;
    r.stopped = !s.feed(text) || !s.finish();
    r.lines = s.lines();
    return r;
}

ReadResult readLines(std::FILE* in, const LineFn& fn)
{
    Splitter s(fn);
    ReadResult r;
    const std::unique_ptr<char[]> block(new char[kBlock]);
    for (;;) {
        const std::size_t n = std::fread(block.get(), 1, kBlock, in);
        if (!s.feed(std::string_view(block.get(), n))) {
            r.stopped = true;
            break;
        }
        if (n < kBlock) {
            if (std::ferror(in))
                r.error = std::strerror(errno);
            r.stopped = !s.finish();
            break;
        }
    }
    r.lines = s.lines();
    return r;
}

std::FILE* openInput(const std::string& path, std::string* error)
{
    struct stat st { };
    if (path == "-") {
        if (::fstat(0, &st) != 0) {
            *error = "standard input is closed";
            return nullptr;
        }
        if (S_ISDIR(st.st_mode)) {
            *error = "standard input is a directory";
            return nullptr;
        }
        return stdin;
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        *error = std::strerror(errno);
        return nullptr;
    }
    if (::fstat(::fileno(f), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::fclose(f);
        *error = "is a directory";
        return nullptr;
    }
    return f;
}

void closeInput(std::FILE* in)
{
    if (in && in != stdin)
        std::fclose(in);
}

std::string tooLongReason()
{
    return "the line is longer than " + std::to_string(kMaxLineBytes) + " bytes";
}

}  // namespace mq::textio
