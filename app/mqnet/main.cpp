// mqnet: Maskquill's classless address engine (net/) and network plans (plan/) on the
// command line.
//
//   main  ->  runCommandLine (command_line.h): the table of commands (commands.h), -h/--help,
//             options, exit status
//         ->  one command (info, split, summarize, plan allocate ...)  ->  net/ and plan/
//         ->  BufferedWriter  ->  standard output;  Faults  ->  standard error
#include <string>
#include <vector>

#include "app/mqnet/command_line.h"

int main(int argc, char** argv)
{
    using namespace mq::mqnet;
    BufferedWriter out(1);
    BufferedWriter err(2, 1 << 16);
    Faults faults(err);
    return runCommandLine(std::vector<std::string>(argv + 1, argv + argc), out, faults);
}
