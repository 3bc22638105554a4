#include "tests/support/files.h"

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

namespace mq::test {

std::string readFile(const std::string& path)
{
    std::error_code ignored;
    std::ifstream in(path, std::ios::binary);
    if (!in || std::filesystem::is_directory(path, ignored))
        return "<unreadable>";
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    out.close();
    if (!out)
        ADD_FAILURE() << "cannot write " << path;
    return static_cast<bool>(out);
}

TempDir::TempDir()
{
    std::string pattern = ::testing::TempDir() + "mq_test_XXXXXX";
    if (::mkdtemp(pattern.data()))
        path_ = pattern + "/";
    else
        ADD_FAILURE() << "cannot make a folder like " << pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    if (!path_.empty())
        std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::write(const std::string& name, const std::string& bytes) const
{
    const std::string at = file(name);
    writeFile(at, bytes);
    return at;
}

namespace {

// The whole of a file opened for the child, read back from its start; closes it.
std::string drain(std::FILE* f)
{
    std::string s;
    std::rewind(f);
    char block[4096];
    for (std::size_t n; (n = std::fread(block, 1, sizeof block, f)) > 0;)
        s.append(block, n);
    std::fclose(f);
    return s;
}

}  // namespace

// The child's three streams are unnamed temporary files: nothing to interleave or deadlock on,
// whatever the sizes.
Outcome runProgram(const std::string& path, const std::vector<std::string>& args, const std::string& input)
{
    std::FILE* in = std::tmpfile();
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Outcome o{-1, {}, {}};
    if (!in || !out || !err) {
        ADD_FAILURE() << "no temporary files to run " << path;
        for (std::FILE* f : {in, out, err})
            if (f)
                std::fclose(f);
        return o;
    }
    std::fwrite(input.data(), 1, input.size(), in);
    std::fflush(in);
    std::rewind(in);
    std::vector<std::string> argv0{path};
    argv0.insert(argv0.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argv0)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ::fileno(in), 0);
    posix_spawn_file_actions_adddup2(&actions, ::fileno(out), 1);
    posix_spawn_file_actions_adddup2(&actions, ::fileno(err), 2);
    pid_t child = 0;
    const int spawned = ::posix_spawnp(&child, path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0)
        ADD_FAILURE() << "cannot run " << path << ": " << std::strerror(spawned);
    else if (::waitpid(child, &status, 0) == child && WIFEXITED(status))
        o.status = WEXITSTATUS(status);
    std::fclose(in);
    o.out = drain(out);
    o.err = drain(err);
    return o;
}

}  // namespace mq::test
