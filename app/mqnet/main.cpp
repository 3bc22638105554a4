// mqnet: Maskquill's classless address engine (net/) on the command line.
//
//   main  ->  one command (info, split, summarize)  ->  net/ parse, facts, split, summarize
//         ->  set, overlaps, free, grep             ->  net/ address_set, overlaps, free_space, address_scan
//         ->  plan allocate                         ->  plan/ allocate
//                                                   ->  BufferedWriter  ->  standard output
//
// Each command reads its own arguments and returns the exit status (command_line.h).
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/mqnet/command_line.h"
#include "app/mqnet/commands.h"
#include "app/mqnet/plan_command.h"

int main(int argc, char** argv) {
  using namespace mq::mqnet;
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::cerr << kUsage;
    return kExitBadInput;
  }
  const std::string_view command = args[0];
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "--help" || command == "-h") {
    std::fputs(kUsage, stdout);
    return kExitOk;
  }
  if (command == "--version") {
    std::printf("mqnet (Maskquill) %s\n", MQ_VERSION);
    return kExitOk;
  }
  if (command == "info") return infoCommand(rest, stdout, std::cerr);
  if (command == "split") return splitCommand(rest, stdout, std::cerr);
  if (command == "summarize") return summarizeCommand(rest, stdout, std::cerr);
  if (command == "set") return setCommand(rest, stdout, std::cerr);
  if (command == "overlaps") return overlapsCommand(rest, stdout, std::cerr);
  if (command == "free") return freeCommand(rest, stdout, std::cerr);
  if (command == "grep") return grepCommand(rest, stdout, std::cerr);
  if (command == "plan") {
    const int status = planCommand(rest, std::cout, std::cerr);
    std::cout.flush();
    return status;
  }
  fault(std::cerr, "unknown command", std::string(command) + " (mqnet --help lists the commands)");
  return kExitBadInput;
}
