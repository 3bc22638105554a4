#pragma once
// Files for tests: a whole file read back, files written into a folder of the test's own that
// goes with it, and a program run with its standard input given and its outputs caught.
#include <string>
#include <vector>

namespace mq::test {

// The bytes of the file at `path`, or "<unreadable>" when it cannot be opened (so that a
// comparison with what should be there fails and shows why).
std::string readFile(const std::string& path);

// Writes `bytes` to `path` (created or truncated); a failure fails the test.
bool writeFile(const std::string& path, const std::string& bytes);

// A new empty folder under the test's temporary folder, removed with all it holds when the
// object goes. Each object has its own, so the cases ctest runs side by side never share one.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }  // ends in '/'
    std::string file(const std::string& name) const { return path_ + name; }
    // Writes `bytes` to the file `name` in the folder; returns its path.
    std::string write(const std::string& name, const std::string& bytes) const;

private:
    std::string path_;
};

struct Outcome {
    int status;  // the exit status; -1 when the program could not be run or did not exit
    std::string out, err;
};

// Runs the program at `path` (found on PATH when it has no slash) with `args`, no shell between,
// `input` on its standard input.
Outcome runProgram(const std::string& path, const std::vector<std::string>& args, const std::string& input = {});

}  // namespace mq::test
