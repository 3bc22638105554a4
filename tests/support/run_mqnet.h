#pragma once
// mqnet run as a user runs it, for tests whose target defines MQNET_PATH (the program's path)
// and depends on mqnet.
#include "tests/support/files.h"

namespace mq::test {

inline Outcome runMqnet(const std::vector<std::string>& args, const std::string& input = {})
{
    return runProgram(MQNET_PATH, args, input);
}

}  // namespace mq::test
