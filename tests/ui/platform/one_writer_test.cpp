// The one writer of files behind its three callers: mqnet's outputs and plans, a deployment's
// folder and the windows' saves. Each target is handed to all three; each must come to the
// same answer (written or refused, the old file kept, its mode kept, no temporary left) and
// say why in its own words. (Links are the one difference: a deployment writes plain files
// of its folder only, so that it never writes outside it; the others write through them.)
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/mqnet/plan_files.h"
#include "deploy/folder.h"
#include "tests/support/files.h"
#include "ui/platform/file_writer.h"

namespace mq::test {
namespace {

// Writes text as name into folder; empty on success, else what the caller says.
using Write = std::function<std::string(const std::string& folder, const std::string& name, const std::string& text)>;

const std::pair<const char*, Write> kWriters[] = {
    {"mqnet", [](const std::string& folder, const std::string& name,
                 const std::string& text) { return mqnet::writeFileAtomically(folder + name, text); }},
    {"deploy",
     [](const std::string& folder, const std::string& name, const std::string& text) {
         return deploy::writeFolder(folder, {{name, text}});
     }},
    {"window",
     [](const std::string& folder, const std::string& name, const std::string& text) {
         std::string error;
         ui::saveDocument(
             folder + name, [&text](ByteSink& sink) { return sink.write(text); }, error);
         return error;
     }},
};

std::vector<std::string> entries(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* d = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(d))
            if (std::string n = e->d_name; n != "." && n != "..")
                names.push_back(n);
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

unsigned modeOf(const std::string& path)
{
    struct stat st { };
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

struct Case {
    const char* what;
    std::function<void(const TempDir&)> setUp;  // makes "out" (or not)
    bool written;
    unsigned mode;  // of "out" afterwards
    const char* said[3];  // per writer, in kWriters' order: a part of its message
};

TEST(OneWriter, EveryCallerGivesTheSameAnswer)
{
    const mode_t mask = ::umask(022);
    const auto limit = [](rlim_t bytes) {
        rlimit r{};
        ::getrlimit(RLIMIT_FSIZE, &r);
        r.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &r);
    };
    const Case cases[] = {
        {"a new file", [](const TempDir&) {}, true, 0644, {}},
        {"an old file keeps its mode",
         [](const TempDir& d) { ::chmod(d.write("out", "old").c_str(), 0640); },
         true,
         0640,
         {}},
        {"a file marked read-only is left alone",
         [](const TempDir& d) { ::chmod(d.write("out", "old").c_str(), 0444); },
         false,
         0444,
         {"cannot write", ": is read-only; nothing was written", "It is read-only."}},
        {"a folder is no file",
         [](const TempDir& d) { ::mkdir(d.file("out").c_str(), 0755); },
         false,
         0755,
         {"it is a folder", "is not a regular file", "It is a folder, not a regular file."}},
        {"a pipe is no file",
         [](const TempDir& d) { ::mkfifo(d.file("out").c_str(), 0600); },
         false,
         0600,
         {"it is a pipe (FIFO)", "is not a regular file", "It is a pipe (FIFO), not a regular file."}},
        {"a size limit keeps the old file",
         [](const TempDir& d) { d.write("out", "old"); },
         false,
         0644,
         {": File too large", "out: File too large", "File too large"}},
    };
    const std::string big(64 * 1024, 'x');
    for (const Case& c : cases) {
        for (std::size_t w = 0; w < std::size(kWriters); ++w) {
            const auto& [who, write] = kWriters[w];
            SCOPED_TRACE(std::string(c.what) + " through " + who);
            const TempDir dir;
            c.setUp(dir);
            const std::vector<std::string> before = entries(dir.path());
            const bool limited = c.said[2] && std::string(c.said[2]) == "File too large";
            if (limited)
                limit(1024);
            const std::string said = write(dir.path(), "out", limited ? big : "new");
            if (limited)
                limit(RLIM_INFINITY);
            EXPECT_EQ(said.empty(), c.written) << said;
            if (c.said[w]) {
                EXPECT_NE(said.find(c.said[w]), std::string::npos) << said;
            }
            EXPECT_EQ(modeOf(dir.file("out")), c.mode);
            struct stat st { };
            if (::lstat(dir.file("out").c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
                EXPECT_EQ(readFile(dir.file("out")), c.written ? "new" : "old");
            }
            std::vector<std::string> after = before;
            if (before.empty())
                after = {"out"};
            EXPECT_EQ(entries(dir.path()), after);  // no temporary left behind
        }
    }
    ::umask(mask);
}

}  // namespace
}  // namespace mq::test
