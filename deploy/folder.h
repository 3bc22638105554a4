#pragma once
// Writing the files of an output into a folder, all or none: every file is written to a
// temporary beside its target and synced first; only then are they renamed into place, and
// should a rename fail the files already replaced are put back as they were. A file that
// already holds its text is left as it is. Each file is staged by the one writer of files
// (textio/file_writer.h): it keeps its owner and mode, and one marked read-only is refused.
#include <string>
#include <vector>

#include "deploy/deploy.h"

namespace mq::deploy {

// Empty on success, else the cause, naming the file: "db.campus.example: No space left on
// device". The folder must exist. Files' names are plain names (no '/').
std::string writeFolder(const std::string& folder, const std::vector<OutputFile>& files);

}  // namespace mq::deploy
