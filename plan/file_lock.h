#pragma once
// The advisory lock a plan's file is changed under, so that two programs editing one plan
// (mqnet commands, the planner saving) take turns instead of one losing the other's change.
// A plan is replaced by renaming a new file over it, which gives the name a new inode: the
// lock is taken on the file the name holds and taken again when the name has moved on
// meanwhile, so that whoever holds it holds the file the name stands for.
#include <cstdint>
#include <optional>
#include <string>

namespace mq::plan {

class FileLock {
public:
    FileLock() = default;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    FileLock(FileLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    FileLock& operator=(FileLock&& other) noexcept;
    ~FileLock() { release(); }

    // Waits for the lock of the file that path names (through symbolic links). Empty when
    // held, or when there is nothing to lock (no such file yet); else the cause.
    std::string lock(const std::string& path);
    void release();

private:
    int fd_ = -1;
};

// What tells one version of a file from the next: a plan saved by renaming a new file over
// it has a new inode, one written in place a new size or modification time.
struct FileStamp {
    std::uint64_t device = 0, inode = 0, size = 0;
    std::int64_t modifiedNs = 0;
    bool operator==(const FileStamp&) const = default;
};
// The stamp of the file path names (through symbolic links); nullopt when there is none.
std::optional<FileStamp> stampOf(const std::string& path);

}  // namespace mq::plan
