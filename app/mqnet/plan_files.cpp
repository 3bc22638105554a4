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
#include "textio/file_target.h"
#include "textio/file_writer.h"
#include "textio/lines.h"

namespace mq::mqnet {

namespace {

constexpr std::size_t kFirstBlock = std::size_t{1} << 16;

// "out.mqplan", or "out.mqplan (a link to /dev/full)" when the write lands elsewhere.
std::string named(const std::string& path, const std::string& target)
{
    return textio::escaped(path) + (target == path ? std::string() : " (a link to " + textio::escaped(target) + ")");
}

// The writer's fault in the command's words, naming the file as the user gave it.
std::string writeFault(const std::string& path, const textio::WriteFault& f)
{
    switch (f.step) {
    case textio::WriteStep::Done: return {};
    case textio::WriteStep::Follow: return "cannot write " + textio::escaped(path) + ": " + f.cause();
    case textio::WriteStep::Target:
        return "cannot write " + named(path, f.target) + ": " +
               (f.kind ? "it is " + textio::fileKind(f.kind) : f.cause());
    case textio::WriteStep::Refused:
        return "cannot write " + named(path, f.target) + ": " + (f.markedReadOnly ? "it is read-only" : f.cause());
    case textio::WriteStep::Create: return "cannot create a file beside " + named(path, f.target) + ": " + f.cause();
    case textio::WriteStep::Replace: return "cannot replace " + named(path, f.target) + ": " + f.cause();
    case textio::WriteStep::Write: break;
    }
    return "cannot write " + named(path, f.target) + ": " + f.cause();
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
    textio::WriteFault f;
    const textio::LinkEnd end = textio::followLinks(path);
    const textio::TargetState there = end.error ? textio::TargetState{} : textio::targetState(end.target);
    f.step = end.error ? textio::WriteStep::Follow : textio::WriteStep::Target;
    f.error = end.error ? end.error : there.error;
    f.kind = there.kind;
    f.target = end.target;
    if (f.error || f.kind)
        return net::ParseError{0, writeFault(path, f)};
    return end.target;
}

std::string writeFileAtomically(const std::string& path, const std::string& text)
{
    return writeFault(path, textio::writeFile(path, text));
}

std::string planFileFault(const std::string& path)
{
    const auto target = outputTarget(path);
    if (const auto* e = std::get_if<net::ParseError>(&target))
        return e->message;
    bool marked = false;
    if (const int refusal = textio::replaceRefusal(std::get<std::string>(target), &marked))
        return "cannot write " + textio::escaped(path) + ": " + (marked ? "it is read-only" : std::strerror(refusal));
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
