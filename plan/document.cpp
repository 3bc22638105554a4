// The .mqplan document, version 1. A UTF-8 JSON object (RFC 8259) with exactly these keys:
//
//   "format":  "maskquill-plan"
//   "version": 1
//   "root":    the root block as "network/len" ("10.0.0.0/8", "2001:db8::/32")
//   "blocks":  every block of the tree, parents before their parts, parts in address order
//              (a depth-first walk, so the leaves come in address order). Each block is an
//              object with the keys
//       "prefix"    "network/len", host bits clear (required)
//       "name"      string, at most 200 bytes, no control characters (default "")
//       "note"      string, at most 4000 bytes, line breaks and tabs allowed (default "")
//       "colour"    "#rrggbb" (default "#000000")
//       "parts"     2, 4, 8 ... 65536: the block is split into that many equal parts, which
//                   are the blocks that follow (absent: the block is a leaf)
//       "assigned"  true or false (leaves only; default false)
//       "hosts"     the hosts its segment asked for, a decimal string because counts go up
//                   to 2^128 (assigned leaves only; default "0": not given)
//
// The first block is the root. Keys may come in any order; unknown and duplicate keys are
// refused, so a typing error is never silently dropped. Reading checks every block against
// the place the tree leaves for it, and names overlaps, gaps, misaligned or foreign
// prefixes by their JSON path. This program writes keys in the order above, one block a
// line, LF line ends and a final line end, so one plan always gives the same bytes.
#include "plan/document.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "net/parse.h"
#include "plan/json.h"

namespace mq::plan {

namespace {

struct RawBlock {
  std::string prefix, name, note, colour, hosts;
  std::optional<std::uint64_t> parts;
  std::optional<bool> assigned;
  bool hasPrefix = false, hasColour = false, hasHosts = false;
};

struct RawDocument {
  std::optional<std::string> root;
  bool hasFormat = false, hasVersion = false;
  std::vector<RawBlock> blocks;
};

// Marks a key as seen; false (and the reader failed) when it was seen before.
bool firstTime(json::Reader& in, unsigned& seen, unsigned bit, const std::string& key) {
  if (seen & bit) {
    in.fail("duplicate key \"" + key + "\"");
    return false;
  }
  seen |= bit;
  return true;
}

void readBlock(json::Reader& in, RawBlock& b) {
  if (!in.beginObject()) return;
  std::string key;
  unsigned seen = 0;
  while (in.nextMember(key)) {
    if (key == "prefix" && firstTime(in, seen, 1, key)) {
      b.hasPrefix = in.readString(b.prefix);
    } else if (key == "name" && firstTime(in, seen, 2, key)) {
      in.readString(b.name);
    } else if (key == "note" && firstTime(in, seen, 4, key)) {
      in.readString(b.note);
    } else if (key == "colour" && firstTime(in, seen, 8, key)) {
      b.hasColour = in.readString(b.colour);
    } else if (key == "parts" && firstTime(in, seen, 16, key)) {
      std::uint64_t v = 0;
      if (in.readUnsigned(kMaxSplitParts, v)) b.parts = v;
    } else if (key == "assigned" && firstTime(in, seen, 32, key)) {
      bool v = false;
      if (in.readBool(v)) b.assigned = v;
    } else if (key == "hosts" && firstTime(in, seen, 64, key)) {
      b.hasHosts = in.readString(b.hosts);
    } else {
      in.fail("unknown key \"" + key + "\"");
    }
  }
  if (!in.failed() && !b.hasPrefix) in.fail("the block has no \"prefix\"");
}

void readRaw(json::Reader& in, RawDocument& doc) {
  if (!in.beginObject()) return;
  std::string key;
  unsigned seen = 0;
  while (in.nextMember(key)) {
    if (key == "format" && firstTime(in, seen, 1, key)) {
      std::string v;
      if (in.readString(v) && v != "maskquill-plan")
        in.fail("is \"" + v.substr(0, 40) + "\", not \"maskquill-plan\": this is not a Maskquill plan");
      doc.hasFormat = true;
    } else if (key == "version" && firstTime(in, seen, 2, key)) {
      std::uint64_t v = 0;
      if (in.readUnsigned(1'000'000, v) && v != 1)
        in.fail("is " + std::to_string(v) + "; this Maskquill reads version 1");
      doc.hasVersion = true;
    } else if (key == "root" && firstTime(in, seen, 4, key)) {
      std::string v;
      if (in.readString(v)) doc.root = std::move(v);
    } else if (key == "blocks" && firstTime(in, seen, 8, key)) {
      if (!in.beginArray()) return;
      while (in.nextItem()) {
        if (doc.blocks.size() == kMaxBlocks) {
          in.fail("a plan holds at most " + std::to_string(kMaxBlocks) + " blocks");
          return;
        }
        readBlock(in, doc.blocks.emplace_back());
      }
    } else {
      in.fail("unknown key \"" + key + "\"");
    }
  }
  if (in.failed() || !in.atEnd()) return;
  if (!doc.hasFormat) in.fail("has no \"format\": this is not a Maskquill plan");
  else if (!doc.hasVersion) in.fail("has no \"version\"");
  else if (!doc.root) in.fail("has no \"root\"");
  else if (!(seen & 8)) in.fail("has no \"blocks\"");
  else if (doc.blocks.empty()) in.fail("\"blocks\" is empty: the root block must be listed");
}

std::string at(std::size_t k) { return "$.blocks[" + std::to_string(k) + "]"; }

// A prefix as a document writes it: "network/len", no zone, host bits clear.
std::variant<net::Prefix, std::string> documentPrefix(std::string_view text) {
  auto r = net::parseInput(text);
  if (auto* e = std::get_if<net::ParseError>(&r)) return net::describe(text, *e);
  const net::Input& in = std::get<net::Input>(r);
  if (in.kind != net::Input::Kind::Prefix || !in.zone.empty())
    return "\"" + std::string(text) + "\" is not written network/length";
  if (in.prefix.address != in.prefix.network())
    return net::formatNetwork(in.prefix) + " is meant, but \"" + std::string(text) + "\" has host bits set";
  return in.prefix;
}

std::optional<std::uint32_t> parseColour(std::string_view s) {
  if (s.size() != 7 || s[0] != '#') return std::nullopt;
  std::uint32_t v = 0;
  for (char c : s.substr(1)) {
    const int h = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (h < 0) return std::nullopt;
    v = v * 16 + static_cast<std::uint32_t>(h);
  }
  return v;
}

class TreeBuilder {
 public:
  TreeBuilder(const RawDocument& doc, net::Prefix root) : doc_(doc), plan_(root) {}

  std::optional<DocumentError> build() {
    for (std::size_t k = 0; k < doc_.blocks.size(); ++k)
      if (auto e = place(k)) return e;
    if (!open_.empty()) {
      const Open& o = open_.back();
      const Block& p = plan_.block(o.id);
      return DocumentError{"$.blocks", "ends before part " + std::to_string(o.next + 1) + " of " +
                                           std::to_string(p.children.size()) + " of " + at(o.entry) + " (" +
                                           net::formatNetwork(p.prefix) + ")"};
    }
    return std::nullopt;
  }
  Plan take() { return std::move(plan_); }

 private:
  struct Open {
    BlockId id;
    std::size_t entry;
    std::size_t next = 0;
  };

  std::optional<DocumentError> place(std::size_t k) {
    const RawBlock& raw = doc_.blocks[k];
    auto fault = [&](const char* field, std::string reason) {
      return DocumentError{at(k) + (*field ? "." : "") + field, std::move(reason)};
    };
    auto parsed = documentPrefix(raw.prefix);
    if (auto* e = std::get_if<std::string>(&parsed)) return fault("prefix", *e);
    const net::Prefix p = std::get<net::Prefix>(parsed);
    const net::Prefix root = plan_.block(plan_.root()).prefix;
    if (p.address.family != root.address.family)
      return fault("prefix", net::formatNetwork(p) + " is not of the root's family (" + net::formatNetwork(root) + ")");
    if (!root.contains(p)) return fault("prefix", net::formatNetwork(p) + " lies outside the root " + net::formatNetwork(root));
    BlockId id = plan_.root();
    if (k == 0) {
      if (p != root) return fault("prefix", "the first block must be the root " + net::formatNetwork(root));
    } else {
      if (open_.empty()) return fault("prefix", net::formatNetwork(p) + " overlaps " + leafHolding(p.address.value));
      Open& o = open_.back();
      id = plan_.block(o.id).children[o.next];
      const net::Prefix want = plan_.block(id).prefix;
      if (p != want) {
        const std::string part = "part " + std::to_string(o.next + 1) + " of " +
                                 std::to_string(plan_.block(o.id).children.size()) + " of " + at(o.entry) + " (" +
                                 net::formatNetwork(plan_.block(o.id).prefix) + ")";
        if (p.address.value < want.address.value)
          return fault("prefix", net::formatNetwork(p) + " overlaps " + leafHolding(p.address.value));
        if (p.address.value > want.address.value)
          return fault("prefix", net::formatNetwork(p) + " leaves a gap: " + net::formatNetwork(want) + ", " + part + ", is missing");
        return fault("prefix", net::formatNetwork(p) + " is not a part of its block: " + part + " is " + net::formatNetwork(want));
      }
      if (++o.next == plan_.block(o.id).children.size()) open_.pop_back();
    }
    if (auto r = checkName(raw.name); !r.empty()) return fault("name", "the name " + r);
    if (auto r = checkNote(raw.note); !r.empty()) return fault("note", "the note " + r);
    (void)plan_.setName(id, raw.name);
    (void)plan_.setNote(id, raw.note);
    if (raw.hasColour) {
      const auto c = parseColour(raw.colour);
      if (!c) return fault("colour", "\"" + raw.colour.substr(0, 20) + "\" is not a colour written #rrggbb");
      (void)plan_.setColour(id, *c);
    }
    const bool assigned = raw.assigned.value_or(false);
    if (raw.parts) {
      if (assigned) return fault("assigned", "a split block cannot be assigned: only its parts can");
      if (raw.hasHosts) return fault("hosts", "a split block has no hosts of its own");
      if (auto r = plan_.split(id, static_cast<int>(*raw.parts)); !r.empty()) return fault("parts", r);
      open_.push_back({id, k});
      return std::nullopt;
    }
    net::u128 hosts = 0;
    if (raw.hasHosts) {
      if (!assigned) return fault("hosts", "hosts are given for a block that is not assigned");
      const auto h = net::parseDecimal(raw.hosts);
      if (!h) return fault("hosts", "\"" + raw.hosts.substr(0, 45) + "\" is not a whole number from 0 to 2^128 - 1");
      hosts = *h;
    }
    if (auto r = plan_.setAssigned(id, assigned, hosts); !r.empty()) return fault("hosts", r);
    leaves_.push_back({p.address.value, k});
    return std::nullopt;
  }

  // The listed leaf that holds an address before the place being filled.
  std::string leafHolding(net::u128 a) const {
    auto it = std::upper_bound(leaves_.begin(), leaves_.end(), a, [](net::u128 v, const auto& l) { return v < l.first; });
    if (it == leaves_.begin()) return at(0);
    const std::size_t k = std::prev(it)->second;
    return at(k) + " (" + doc_.blocks[k].prefix + ")";
  }

  const RawDocument& doc_;
  Plan plan_;
  std::vector<Open> open_;                                  // split blocks still taking parts
  std::vector<std::pair<net::u128, std::size_t>> leaves_;   // (first address, entry), address order
};

}  // namespace

std::variant<Plan, DocumentError> readDocument(std::string_view text) {
  json::Reader in(text);
  RawDocument doc;
  readRaw(in, doc);
  if (in.failed()) return DocumentError{in.errorPath(), in.errorReason()};
  auto root = documentPrefix(*doc.root);
  if (auto* e = std::get_if<std::string>(&root)) return DocumentError{"$.root", *e};
  TreeBuilder builder(doc, std::get<net::Prefix>(root));
  if (auto e = builder.build()) return *e;
  return builder.take();
}

std::string writeDocument(const Plan& plan) {
  const auto order = plan.preorder(plan.root());
  std::string out;
  out.reserve(96 + order.size() * 110);
  out += "{\n  \"format\": \"maskquill-plan\",\n  \"version\": 1,\n  \"root\": ";
  json::appendString(out, net::formatNetwork(plan.block(plan.root()).prefix));
  out += ",\n  \"blocks\": [\n";
  for (std::size_t i = 0; i < order.size(); ++i) {
    const Block& b = plan.block(order[i]);
    out += "    {\"prefix\": \"";
    out += net::formatNetwork(b.prefix);
    out += "\", \"name\": ";
    json::appendString(out, b.name);
    out += ", \"note\": ";
    json::appendString(out, b.note);
    char colour[16];
    std::snprintf(colour, sizeof colour, "#%06x", static_cast<unsigned>(b.colour));
    out += ", \"colour\": \"";
    out += colour;
    if (!b.children.empty()) {
      out += "\", \"parts\": " + std::to_string(b.children.size());
    } else if (b.assigned) {
      out += "\", \"assigned\": true, \"hosts\": \"" + net::toDecimal(b.hostsNeeded) + "\"";
    } else {
      out += "\", \"assigned\": false";
    }
    out += i + 1 < order.size() ? "},\n" : "}\n";
  }
  out += "  ]\n}\n";
  return out;
}

}  // namespace mq::plan
