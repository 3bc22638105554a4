// The one way the program saves a file the user chose (the reports, listings,
// plans and exports alike), through the one writer of files (textio/file_writer.h).
//
// A plain file, new or old, is written to a temporary file beside it: the old
// file is replaced only when every byte reached the new one. Where its folder cannot
// take the temporary file beside it, an existing file the user may write is
// rewritten in place instead, and still keeps its old contents on any failure:
// the new ones go after them until they are complete (so they need the same
// room beside the old ones as a temporary file would).
//
// A symbolic link is written through: what is replaced is the file at the end
// of its chain (a link that points nowhere names the file to create), in that
// file's folder. A file replaced keeps its mode, and its owner and group where
// the program may set them. A folder is refused with what it is.
//
// saveFile (the classic windows' reports and listings): devices and named
// pipes are written in place, never replaced by a plain file. Nothing waits
// for a pipe that no program reads: it is refused at once, and a reader that
// stops taking data ends the write after `patience`.
//
// saveDocument (Maskquill's own plans, exports and CSV listings, files to be
// opened again): a pipe or a device is refused with what it is too.
//
// Every failure comes back in error with its real cause ("No space left on
// device", "File too large", "Read-only file system", "Permission denied" ...).
#pragma once

#include "core/rtf_writer.h"

#include <chrono>
#include <functional>
#include <string>
#include <sys/types.h>

namespace mq::ui {

inline constexpr std::chrono::milliseconds kPipePatience{10000};

// produce sends the content into the sink and says whether it succeeded.
bool saveFile(const std::string& path, const std::function<bool(ByteSink&)>& produce, std::string& error,
              std::chrono::milliseconds patience = kPipePatience);
bool saveDocument(const std::string& path, const std::function<bool(ByteSink&)>& produce, std::string& error);

// What a file that is not a regular one is, as messages name it: "a folder",
// "a pipe (FIFO)", "a character device" ...
std::string fileKind(mode_t mode);

}  // namespace mq::ui
