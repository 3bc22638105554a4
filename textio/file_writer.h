#pragma once
// The one way a file is written: the command line's outputs and plans, a deployment's
// folder of files and every file a window saves. A regular file is written to a temporary
// beside it (in the same folder, so that the rename cannot cross file systems), synced and
// renamed over it: the old file stays as it was when anything fails, and the new one keeps
// its owner and group (where the process may give them away) and its mode. A symbolic link
// is written through to the file at the end of its chain. A file whose owner marked it
// read-only, or that this process may not write, is refused. Every failure comes back with
// its real cause ("No space left on device", "File too large", "Read-only file system").
//
// The callers choose what is not a rule: whether a device or a named pipe is written as it
// is (a window's report may go to a printer's pipe) and whether an existing file in a folder
// that takes no temporary is rewritten in place (a window's user may be able to write the
// file but not its folder). Each caller phrases the fault in its own words.
#include <chrono>
#include <csignal>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace mq::textio {

// Where a producer sends the bytes of a file as it makes them.
class ByteOutput {
public:
    virtual ~ByteOutput() = default;
    // False when the bytes could not be written; the writer knows why. Nothing more is sent.
    virtual bool write(std::string_view bytes) = 0;
};
// Sends the whole content into the output; false when it could not (the output refused, or
// the producer failed on its own).
using Producer = std::function<bool(ByteOutput&)>;

enum class WriteStep : std::uint8_t {
    Done,
    Follow,  // the chain of symbolic links cannot be followed
    Target,  // what is there is no regular file (kind), or cannot be looked at (error)
    Refused,  // an existing file that may not be replaced (markedReadOnly or error)
    Create,  // no temporary file beside the target
    Write,  // the new content did not reach the disk whole
    Replace,  // the rename over the target failed
};

struct WriteFault {
    WriteStep step = WriteStep::Done;
    int error = 0;  // the errno; 0 where note tells the cause
    unsigned kind = 0;  // Target: what is there (its S_IFMT type) when it is no regular file
    bool markedReadOnly = false;  // Refused: no one may write it
    std::string note;  // a cause no errno tells: "The program reading from it stopped taking data."
    std::string target;  // the end of the links, where the write landed
    explicit operator bool() const { return step != WriteStep::Done; }
    // note, else the errno's text.
    std::string cause() const;
};

struct WriteOptions {
    bool devicesInPlace = false;  // a device or named pipe is written as it is, never replaced
    bool inPlaceWhenFolderLocked = false;  // see writeInPlace
    std::chrono::milliseconds patience{10000};  // for a pipe whose reader stops taking data
};

// Writes the file at path (see the top of this file); what it found and did, Done when the
// whole content is in place.
WriteFault writeFile(const std::string& path, const Producer& produce, const WriteOptions& how = {});
WriteFault writeFile(const std::string& path, std::string_view content, const WriteOptions& how = {});

// A new version of one regular file, made beside it and put in its place only when it is
// complete. The temporary is ".NAME.new-XXXXXX" in the target's folder: hidden, so that a
// server that loads every *.conf of a folder never reads half a file. Removed unless placed.
class StagedFile : public ByteOutput {
public:
    StagedFile() = default;
    ~StagedFile() override;
    StagedFile(StagedFile&& other) noexcept;
    StagedFile& operator=(StagedFile&& other) noexcept;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Creates the temporary for target (a regular file or none: the end of its links) and
    // notes the owner and mode of the file it is to replace.
    bool open(const std::string& target);
    // All of the bytes (a write that takes none is ENOSPC).
    bool write(std::string_view bytes) override;
    // The old file's owner and mode, or a new file's mode (0666 less the umask); synced to
    // the disk when sync (else the caller syncs the file system); closed.
    bool finish(bool sync);
    // Renamed over the target.
    bool place();

    int error() const { return error_; }  // the errno of the step that failed
    const std::string& target() const { return target_; }
    const std::string& temp() const { return temp_; }

private:
    bool fail(int code);
    void discard();
    std::string target_, temp_;
    int fd_ = -1;
    int error_ = 0;
    bool replacing_ = false, placed_ = false;
    unsigned oldMode_ = 0, oldUid_ = 0, oldGid_ = 0;
};

// The rename of a file in folder on the disk too, so that a crash keeps the new file. Best
// effort: the file is in place either way.
void syncFolder(const std::string& folder);

// A reader that goes away (SIGPIPE) or a file size limit (SIGXFSZ) would end the program;
// while one of these lives on a thread they become a write's error (EPIPE, EFBIG) instead.
class QuietWriteSignals {
public:
    QuietWriteSignals();
    ~QuietWriteSignals();
    QuietWriteSignals(const QuietWriteSignals&) = delete;
    QuietWriteSignals& operator=(const QuietWriteSignals&) = delete;

private:
    sigset_t quiet_{};
    sigset_t saved_{};
};

// For a folder that takes no temporary file (a user may write the file, not its folder):
// the file itself is rewritten without putting its old contents at risk. The new contents
// go after the old ones first: a disk that fills up, a size limit or a failed producer only
// cuts them off again. Once they are complete and on the disk they move to the front, and
// the old bytes they cover are kept in memory, to be put back should that fail. The fault's
// note says what became of the file.
WriteFault writeInPlace(const std::string& file, const Producer& produce);

// A device or named pipe, opened without waiting and written as it takes data: a pipe no
// program reads is refused at once, and a reader that stops taking data ends the write
// after patience.
WriteFault writeDevice(const std::string& file, unsigned kind, const Producer& produce,
                       std::chrono::milliseconds patience);

}  // namespace mq::textio
