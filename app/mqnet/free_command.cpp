// mqnet free: what a block has left given the items in use, or its lowest free /N.
#include <string>

#include "app/mqnet/command_line.h"
#include "app/mqnet/commands.h"
#include "app/mqnet/list_input.h"
#include "app/mqnet/set_output.h"
#include "net/free_space.h"
#include "textio/escape.h"

namespace mq::mqnet {

int freeCommand(const std::vector<std::string>& args, std::FILE* out, std::ostream& err) {
  const auto a = readArguments(args, "free", {"--json", "--ranges"}, {"--first"}, err);
  if (!a) return kExitBadInput;
  if (a->help) {
    std::fputs(kUsage, out);
    return kExitOk;
  }
  if (a->positional.empty() || a->positional.size() > 2) {
    fault(err, "free", "takes ROOT and an optional USED-FILE or - (mqnet --help)");
    return kExitBadInput;
  }
  const auto typed = readPrefix(a->positional[0], "free", err);
  if (!typed) return kExitBadInput;
  const net::Prefix root{typed->prefix.network(), typed->prefix.length};
  const net::Family family = root.address.family;
  const int bits = net::familyBits(family);
  std::optional<int> first;
  if (const auto it = a->values.find("--first"); it != a->values.end()) {
    const std::string& n = it->second;
    const auto value = net::parseDecimal(n);
    if (!value || *value > static_cast<net::u128>(bits)) {
      fault(err, "free", "--first " + n + ": not a prefix length from 0 to " + std::to_string(bits));
      return kExitBadInput;
    }
    first = static_cast<int>(*value);
  }

  ListReader reader("free", err);
  const std::string path = a->positional.size() == 2 ? a->positional[1] : "-";
  const std::string name = textio::escaped(ListReader::nameOf(path));
  net::AddressSetBuilder used;
  bool outside = false;
  reader.read(path, [&](const net::Range& r, std::size_t line, std::string_view item) {
    if (r.first.family != family || r.last.value < root.network().value || r.first.value > root.last().value) {
      fault(err, name + " line " + std::to_string(line), std::string(item) + " lies outside " + net::formatNetwork(root));
      outside = true;
      return;
    }
    used.add(r);
  });
  const net::FreeSpace space = net::freeSpace(root, used.build());

  BufferedWriter w(out);
  bool none = false;
  if (first) {
    const auto block = net::firstAligned(space.free, family, *first);
    none = !block;
    if (a->flags.contains("--json")) {
      w.write("{\"root\": \"" + net::formatNetwork(root) + "\", \"first\": " +
              (block ? "\"" + net::formatNetwork(*block) + "\"" : std::string("null")) + "}\n");
    } else if (block) {
      writePrefix(w, *block);
    }
  } else if (a->flags.contains("--json")) {
    w.write("{\"root\": \"" + net::formatNetwork(root) + "\", \"free\": [");
    bool any = false;
    space.free.visitPrefixes([&](const net::Prefix& p) {
      w.write(any ? ", \"" : "\"");
      w.write(net::formatNetwork(p));
      w.put('"');
      any = true;
    });
    w.write("], \"free_addresses\": \"" + net::toDecimal(space.freeAddresses) + "\", \"used_addresses\": \"" +
            net::toDecimal(space.usedAddresses) + "\"}\n");
  } else {
    writeSet(w, space.free, a->flags.contains("--ranges"));
  }
  if (!w.flush()) {
    fault(err, "free", "cannot write the output: " + w.error());
    return kExitOutputFailed;
  }
  if (reader.refused() || outside) return kExitBadInput;
  return none ? kExitNoneFree : kExitOk;
}

}  // namespace mq::mqnet
