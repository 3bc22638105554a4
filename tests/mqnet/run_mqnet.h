#pragma once
// `mqnet plan ARGS` run as a user runs it, with the argument "FILE" standing for a file
// holding the given content.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/run_mqnet.h"

namespace mq::mqnet {

using test::Outcome;

// One file a process, in a folder of its own: ctest runs the cases of a program side by side.
inline std::string planInputFile()
{
    static const test::TempDir folder;
    return folder.file("plan_input");
}

inline Outcome runPlanOn(std::vector<std::string> args, const std::string& content)
{
    const std::string file = planInputFile();
    test::writeFile(file, content);
    args.insert(args.begin(), "plan");
    for (auto& a : args)
        if (a == "FILE")
            a = file;
    const Outcome o = test::runMqnet(args);
    std::remove(file.c_str());
    return o;
}

}  // namespace mq::mqnet
