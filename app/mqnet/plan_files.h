#pragma once
// Whole files for the plan commands: a plan document or an interchange file read at once
// (bounded), and a document written atomically; and the --format that export and import
// both take.
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/mqnet/command_line.h"
#include "interchange/plan_adapter.h"
#include "net/parse.h"
#include "plan/document.h"
#include "plan/file_lock.h"
#include "plan/plan.h"

namespace mq::mqnet {

constexpr std::size_t kMaxPlanFileBytes = plan::kMaxDocumentBytes;  // as the planner opens

// The bytes of a whole file. Held in one block that grows in place (realloc), so that a file
// near the limit never costs twice its size while it is read.
class FileText {
public:
    std::string_view view() const { return {data_.get(), size_}; }
    operator std::string_view() const { return view(); }  // handed to the readers as text

private:
    friend std::optional<FileText> readWholeFile(const Invocation& call, const std::string& path);
    struct Free {
        void operator()(char* p) const { std::free(p); }
    };
    std::unique_ptr<char, Free> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// The whole file ("-": standard input), at most kMaxPlanFileBytes; nullopt, named on
// standard error under the command's name, when it cannot be read or held.
std::optional<FileText> readWholeFile(const Invocation& call, const std::string& path);

// A saved plan document read whole; nullopt, named on standard error, when the file cannot
// be read or the document is refused ("PATH: JSON-PATH: REASON"). The file's text is freed
// before the plan is returned. With a lock, a plan the command writes back: the file's lock
// is taken before it is read, and held until the lock is dropped.
std::optional<plan::Plan> readPlanFile(const Invocation& call, const std::string& path, plan::FileLock* lock = nullptr);

// The --format a command requires: any interchange format but `excluded`, whose counterpart
// (the one format the command takes that the other does not) is `last` in the messages:
// "netbox, phpipam, vsc-json, vsc-link or LAST". nullopt, named, when missing or unknown.
std::optional<interchange::Format> readFormat(const Invocation& call, interchange::Format excluded,
                                              std::string_view last);

// Where a write to path lands: the end of its chain of symbolic links (a link that points
// nowhere names the file to create). Refused, with the cause, when that is a folder, a
// device, a FIFO or a socket, or when its folder does not exist: so that a command can say so
// before it does any work. The fault's message is the cause (its position is 0: it is no
// fault of the text).
net::Parsed<std::string> outputTarget(const std::string& path);

// Writes text to path (through its symbolic links, as outputTarget) by a temporary file in
// the target's folder, renamed over it once written and synced: the old file stays as it was
// when anything fails, and the new one keeps its mode, and its owner and group where the
// process may set them. Empty on success, else the cause.
std::string writeFileAtomically(const std::string& path, const std::string& text);

// Empty when a plan document may be written to path (a new file, or one that is not
// read-only; through its symbolic links), else the cause. Every command that writes a plan
// asks this one question: a file without any write permission is left alone even where
// the process could replace it (root), as its owner marked it so.
std::string planFileFault(const std::string& path);

// The plan's document written to path as above, refused (the old file kept) when it is
// read-only or larger than a plan is read back from. Empty on success, else the cause.
std::string writePlanDocument(const std::string& path, const plan::Plan& plan);

}  // namespace mq::mqnet
