// mqnet set: union, intersection, difference and symmetric difference of address lists.
#include <string>

#include "app/mqnet/command_line.h"
#include "app/mqnet/commands.h"
#include "app/mqnet/list_input.h"
#include "app/mqnet/set_output.h"

namespace mq::mqnet {

namespace {

struct Operation {
  const char* name;
  std::size_t fewestFiles, mostFiles;
};
constexpr Operation kOperations[] = {{"union", 1, SIZE_MAX}, {"intersect", 2, SIZE_MAX}, {"except", 2, SIZE_MAX}, {"diff", 2, 2}};

}  // namespace

int setCommand(const std::vector<std::string>& args, std::FILE* out, std::ostream& err) {
  const auto a = readArguments(args, "set", {"--ranges"}, {}, err);
  if (!a) return kExitBadInput;
  if (a->help) {
    std::fputs(kUsage, out);
    return kExitOk;
  }
  const Operation* op = nullptr;
  for (const Operation& o : kOperations)
    if (!a->positional.empty() && a->positional[0] == o.name) op = &o;
  if (!op) {
    fault(err, "set", "needs union, intersect, except or diff (mqnet --help)");
    return kExitBadInput;
  }
  const std::vector<std::string> files(a->positional.begin() + 1, a->positional.end());
  if (files.size() < op->fewestFiles || files.size() > op->mostFiles) {
    fault(err, std::string("set ") + op->name,
          op->mostFiles == 2 ? "takes two FILEs" : op->fewestFiles == 1 ? "takes one or more FILEs" : "takes two or more FILEs");
    return kExitBadInput;
  }

  ListReader reader(std::string("set ") + op->name, err);
  const auto readSet = [&](const std::string& path) {
    net::AddressSetBuilder b;
    reader.read(path, [&](const net::Range& r, std::size_t, std::string_view) { b.add(r); });
    return b.build();
  };
  net::AddressSet result;
  const std::string_view name = op->name;
  if (name == "union" || name == "except") {
    // The first file of except on its own, then every other file in one builder: one sort
    // instead of a merge per file.
    if (name == "except") result = readSet(files[0]);
    net::AddressSetBuilder rest;
    for (std::size_t i = name == "union" ? 0 : 1; i < files.size(); ++i)
      reader.read(files[i], [&](const net::Range& r, std::size_t, std::string_view) { rest.add(r); });
    result = name == "union" ? rest.build() : net::subtract(result, rest.build());
  } else {
    result = readSet(files[0]);
    for (std::size_t i = 1; i < files.size(); ++i)
      result = name == "diff" ? net::symmetricDifference(result, readSet(files[i]))
                              : net::intersect(result, readSet(files[i]));
  }

  BufferedWriter w(out);
  writeSet(w, result, a->flags.contains("--ranges"));
  if (!w.flush()) {
    fault(err, "set", "cannot write the output: " + w.error());
    return kExitOutputFailed;
  }
  return reader.refused() ? kExitBadInput : kExitOk;
}

}  // namespace mq::mqnet
