#pragma once
// Where a write lands and what is there: the questions every writer of files asks before it
// writes (textio/file_writer.h writes). Standard C++ on POSIX calls, no Qt.
#include <string>

namespace mq::textio {

// The end of path's chain of symbolic links, whether a file is there or not (a link that
// points nowhere names the file to create); or, with error set (an errno), why the chain
// cannot be followed (ELOOP after 40 links, as the system follows them).
struct LinkEnd {
    std::string target;
    int error = 0;
};
LinkEnd followLinks(const std::string& path);

// The folder a path is in: "." for a plain name, "/" for a name at the root.
std::string folderOf(const std::string& path);

// What a file that is not a regular one is, as messages name it, from its stat mode: "a
// folder", "a pipe (FIFO)", "a character device", "a block device", "a socket".
std::string fileKind(unsigned mode);

// True when both paths name one existing file (device and inode, through links), whatever
// their names: a write that would land on its own input.
bool sameFile(const std::string& a, const std::string& b);

// What a write to target (the end of its links) would find, before anything is written:
// kind, the S_IFMT type of what is there when it is no regular file (0 when it is one or
// nothing is there); exists, a file is there; error (an errno) when it cannot be told, or
// when a new file's folder is missing or no folder.
struct TargetState {
    bool exists = false;
    unsigned kind = 0;
    int error = 0;
};
TargetState targetState(const std::string& target);

// 0 when an existing file may be replaced by this process, else the errno that says why
// not (EACCES; EROFS on a read-only file system). A file nobody may write is left alone
// even where the process could replace it (root), as its owner marked it so: with
// markedReadOnly, *markedReadOnly tells that case apart (its error is EACCES).
int replaceRefusal(const std::string& target, bool* markedReadOnly = nullptr);

}  // namespace mq::textio
