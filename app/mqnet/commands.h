#pragma once
// The commands of mqnet. Each takes the arguments after its name and returns the exit status.
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

namespace mq::mqnet {

int infoCommand(const std::vector<std::string>& args, std::FILE* out, std::ostream& err);
int splitCommand(const std::vector<std::string>& args, std::FILE* out, std::ostream& err);
int summarizeCommand(const std::vector<std::string>& args, std::FILE* out, std::ostream& err);
int setCommand(const std::vector<std::string>& args, std::FILE* out, std::ostream& err);
int overlapsCommand(const std::vector<std::string>& args, std::FILE* out, std::ostream& err);
int freeCommand(const std::vector<std::string>& args, std::FILE* out, std::ostream& err);
int grepCommand(const std::vector<std::string>& args, std::FILE* out, std::ostream& err);

}  // namespace mq::mqnet
