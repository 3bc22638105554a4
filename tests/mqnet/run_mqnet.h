#pragma once
// mqnet run in the test's process as main() runs it, its output and faults caught in files.
#include <cstdio>
#include <string>
#include <vector>

#include "app/mqnet/command_line.h"

namespace mq::mqnet {

struct Outcome {
  int status;
  std::string out, err;
};

inline std::string readBack(std::FILE* f) {
  std::string s;
  std::rewind(f);
  char block[4096];
  for (std::size_t n; (n = std::fread(block, 1, sizeof block, f)) > 0;) s.append(block, n);
  std::fclose(f);
  return s;
}

inline Outcome runMqnet(const std::vector<std::string>& args) {
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

}  // namespace mq::mqnet
