#pragma once
// mqnet run in the test's process as main() runs it, its output and faults caught in files.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/mqnet/command_line.h"

namespace mq::mqnet {

struct Outcome {
    int status;
    std::string out, err;
};

inline std::string readBack(std::FILE* f)
{
    std::string s;
    std::rewind(f);
    char block[4096];
    for (std::size_t n; (n = std::fread(block, 1, sizeof block, f)) > 0;)
        s.append(block, n);
    std::fclose(f);
    return s;
}

inline Outcome runMqnet(const std::vector<std::string>& args)
{
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    int status;
    {
        BufferedWriter o(fileno(out)), e(fileno(err));
        Faults faults(e);
        status = runCommandLine(args, o, faults);
    }
    return {status, readBack(out), readBack(err)};
}

// `mqnet plan ARGS` with the argument "FILE" standing for a file holding `content`, one
// file a process (ctest runs the cases of a program side by side).
inline std::string planInputFile()
{
    return "/tmp/mq_plan_input_" + std::to_string(::getpid());
}

inline Outcome runPlanOn(std::vector<std::string> args, const std::string& content)
{
    const std::string file = planInputFile();
    std::ofstream(file, std::ios::binary) << content;
    args.insert(args.begin(), "plan");
    for (auto& a : args)
        if (a == "FILE")
            a = file;
    const Outcome o = runMqnet(args);
    std::remove(file.c_str());
    return o;
}

}  // namespace mq::mqnet
