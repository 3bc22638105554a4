#include "interchange/vsc.h"

#include <algorithm>

#include "interchange/fields.h"
#include "interchange/lzstring.h"
#include "textio/escape.h"
#include "textio/fields.h"
#include "textio/json.h"
#include "textio/problem.h"
#include "textio/utf8.h"

namespace mq::interchange {

namespace {

// ---- Writing ----

struct Node {
    net::Prefix prefix;
    const FlatBlock* block = nullptr;  // null for a block filled in between
    std::vector<Node> halves;  // none, or the two halves
};

net::Prefix half(const net::Prefix& p, int which)
{
    net::Prefix h{p.network(), p.length + 1};
    if (which)
        h.address.value |= net::u128{1} << (32 - h.length);
    return h;
}

// Halves down to every block inside p.
Node build(const net::Prefix& p, const FlatBlock* block, const std::vector<const FlatBlock*>& inside)
{
    Node n{p, block, {}};
    if (inside.empty() || p.length >= 32)
        return n;
    for (int which = 0; which < 2; ++which) {
        const net::Prefix h = half(p, which);
        const FlatBlock* same = nullptr;
        std::vector<const FlatBlock*> below;
        for (const FlatBlock* b : inside) {
            if (!h.contains(b->prefix))
                continue;
            if (b->prefix.length == h.length) {
                if (!same)
                    same = b;
            } else {
                below.push_back(b);
            }
        }
        n.halves.push_back(build(h, same, below));
    }
    return n;
}

std::string noteOf(const FlatBlock& b)
{
    const std::string note = oneLine(b.note);
    if (b.name.empty())
        return note;
    if (note.empty())
        return b.name;
    return b.name + " — " + note;
}

std::string_view modeText(plan::CloudMode mode)
{
    switch (mode) {
    case plan::CloudMode::Aws: return "AWS";
    case plan::CloudMode::Azure: return "AZURE";
    case plan::CloudMode::Oci: return "OCI";
    case plan::CloudMode::Gcp:
    case plan::CloudMode::None: break;
    }
    return {};
}

char base36(int v)
{
    return static_cast<char>(v < 10 ? '0' + v : 'a' + v - 10);
}

struct Shape {
    bool shortKeys;  // and no blanks: the text goes into a link
    net::Prefix base;
    textio::json::Layout layout;
};

std::string keyOf(const Shape& s, const net::Prefix& p)
{
    if (!s.shortKeys)
        return net::formatNetwork(p);
    const auto offset = static_cast<std::uint32_t>(p.network().value - s.base.network().value);
    const std::uint32_t nth = p.length == 0 ? 0 : offset >> (32 - p.length);
    return std::to_string(nth) + base36(p.length);
}

void writeNode(textio::json::Writer& j, const Shape& s, const Node& n)
{
    j.key(keyOf(s, n.prefix));
    j.beginObject(s.layout);
    std::string note, colour;
    if (n.block) {
        note = noteOf(*n.block);
        if (n.block->colour)
            colour = textio::colourText(*n.block->colour);
    }
    // The tool writes note and colour before the halves in links, after them in its JSON.
    auto meta = [&] {
        if (!note.empty()) {
            j.key(s.shortKeys ? "n" : "_note");
            j.string(note);
        }
        if (!colour.empty()) {
            j.key(s.shortKeys ? "c" : "_color");
            j.string(colour);
        }
    };
    if (s.shortKeys)
        meta();
    for (const Node& h : n.halves)
        writeNode(j, s, h);
    if (!s.shortKeys)
        meta();
    j.end();
}

WriteResult writeConfig(const std::vector<FlatBlock>& blocks, plan::CloudMode mode, bool shortKeys)
{
    WriteResult r;
    if (blocks.empty()) {
        r.error = "the plan has no blocks";
        return r;
    }
    const FlatBlock& root = blocks.front();
    if (root.prefix.address.family != net::Family::V4) {
        r.error = "visualsubnetcalc holds IPv4 plans only; " + net::formatNetwork(root.prefix) + " is IPv6";
        return r;
    }
    std::vector<const FlatBlock*> inside;
    for (std::size_t i = 1; i < blocks.size(); ++i) {
        const FlatBlock& b = blocks[i];
        if (b.prefix.address.family != net::Family::V4 || !root.prefix.contains(b.prefix) ||
            b.prefix.length <= root.prefix.length) {
            r.error = net::formatNetwork(b.prefix) + " does not lie inside the root " + net::formatNetwork(root.prefix);
            return r;
        }
        inside.push_back(&b);
    }
    const net::Prefix base = root.prefix.masked();
    const Node tree = build(base, &root, inside);
    if (mode == plan::CloudMode::Gcp)
        r.notices.push_back(
            textio::lineProblem(0, "visualsubnetcalc has no Google Cloud mode: written in its standard mode"));
    // The tool opens a plan in a cloud mode only when no subnet is smaller than the mode allows.
    int longest = base.length;
    for (const FlatBlock* b : inside)
        longest = std::max(longest, b->prefix.length);
    // The page refuses the whole plan when a mode's minimum is broken ("One or more subnets are
    // smaller than the minimum allowed"): the plan is written in the standard mode instead.
    std::string_view modeName = modeText(mode);
    if (!modeName.empty() && longest > plan::cloudRules(mode).longest) {
        r.notices.push_back(textio::lineProblem(
            0, "visualsubnetcalc opens this plan in its standard mode: it holds a /" + std::to_string(longest) +
                   ", smaller than " + std::string(plan::cloudRules(mode).label) + " allows (/" +
                   std::to_string(plan::cloudRules(mode).longest) + ")"));
        modeName = {};
    }
    // The page cuts a note at its first double quote.
    for (const FlatBlock& b : blocks)
        if (noteOf(b).find('"') != std::string::npos)
            r.notices.push_back(textio::lineProblem(0, net::formatNetwork(b.prefix) +
                                                           ": visualsubnetcalc cuts its note at the first \" (" +
                                                           textio::quoted(noteOf(b)) + ")"));

    const auto layout = shortKeys ? textio::json::Layout::Compact : textio::json::Layout::Indented;
    textio::json::Writer j(r.text);
    const std::string baseText = net::formatNetwork(base);
    j.beginObject(layout);
    j.key(shortKeys ? "v" : "config_version");
    j.string("2");
    if (!shortKeys && !modeName.empty()) {
        j.key("operating_mode");
        j.string(modeName);
    }
    j.key(shortKeys ? "b" : "base_network");
    j.string(baseText);
    if (shortKeys && !modeName.empty()) {
        j.key("m");
        j.string(modeName);
    }
    j.key(shortKeys ? "s" : "subnets");
    j.beginObject(layout);
    writeNode(j, Shape{shortKeys, base, layout}, tree);
    j.end();
    j.end();
    if (!shortKeys)
        r.text += '\n';
    return r;
}

// ---- Reading ----

struct RNode {
    net::Prefix prefix;
    std::string note, colour;
    std::vector<RNode> parts;
};

// Reading the subnets. A fault of their content (a key that is no subnet, a split that is
// not in halves) is kept rather than failing the reader, which reads on to the end: a fault
// of the document as a whole (its syntax, its version, a base network that is none) is the
// one named, wherever it lies. A value of the wrong type stops the reader where it is.
textio::Problem problemAt(std::string path, std::string reason)
{
    textio::Problem p;
    p.path = std::move(path);
    p.message = std::move(reason);
    return p;
}

struct Subnets {
    std::string version;
    std::optional<net::Prefix> base;
    std::size_t nodes = 0;
    RNode root;
    bool haveRoot = false;
    std::optional<textio::Problem> fault;  // the first, in the document's order; the rest is skipped

    void keep(const textio::json::Reader& in, std::string reason)
    {
        if (!fault)
            fault = problemAt(in.path(), std::move(reason));
    }
};

// A subnet key: "10.0.0.0/17", or "<n><length in base 36>" of version 2.
bool parseKey(const textio::json::Reader& in, Subnets& s, const std::string& key, net::Prefix& out)
{
    if (key.find('/') != std::string::npos) {
        if (std::string why = parsePrefixField(key, out); !why.empty()) {
            s.keep(in, textio::quoted(key) + " is not a subnet: " + why);
            return false;
        }
        if (out.address.family != net::Family::V4) {
            s.keep(in, textio::quoted(key) + " is not an IPv4 subnet");
            return false;
        }
        return true;
    }
    const char last = key.empty() ? '?' : key.back();
    const int length = last >= '0' && last <= '9' ? last - '0' : last >= 'a' && last <= 'w' ? last - 'a' + 10 : -1;
    const std::string digits = key.empty() ? std::string() : key.substr(0, key.size() - 1);
    const bool ok = s.version == "2" && s.base && length >= s.base->length && length <= 32 && !digits.empty() &&
                    digits.size() <= 10 && digits.find_first_not_of("0123456789") == std::string::npos;
    const std::uint64_t nth = ok ? std::stoull(digits) : 0;
    if (!ok || nth >= (std::uint64_t{1} << (length - s.base->length))) {  // at most 1 << 32
        s.keep(in, textio::quoted(key) + " is not a subnet of the base network");
        return false;
    }
    const std::uint64_t offset = length == 0 ? 0 : nth << (32 - length);
    out = {net::Address::v4(static_cast<std::uint32_t>(s.base->network().value + offset)), length};
    return true;
}

bool readNode(textio::json::Reader& in, Subnets& s, RNode& node)
{
    if (s.fault)
        return in.skipValue();
    if (!in.beginObject())
        return false;
    if (++s.nodes > plan::kMaxBlocks)
        s.keep(in, "more than " + std::to_string(plan::kMaxBlocks) + " subnets");
    std::string key;
    while (in.nextMember(key)) {
        const bool note = key == "_note" || key == "n" || key == "_n";
        const bool colour = key == "_color" || key == "c" || key == "_c";
        if (!s.fault && (note || colour)) {
            if (!in.readString(note ? node.note : node.colour))
                return false;
        } else if (s.fault || key.starts_with("_") || key == "p") {
            if (!in.skipValue())
                return false;  // the tool's own extras (cell colours), or the rest after a fault
        } else {
            RNode part;
            if (parseKey(in, s, key, part.prefix) &&
                (!node.prefix.contains(part.prefix) || part.prefix.length <= node.prefix.length))
                s.keep(in, net::formatNetwork(part.prefix) + " does not lie inside " + net::formatNetwork(node.prefix));
            if (!readNode(in, s, part))
                return false;
            node.parts.push_back(std::move(part));
        }
    }
    if (in.failed())
        return false;
    if (s.fault || node.parts.empty())
        return true;
    std::sort(node.parts.begin(), node.parts.end(), [](const RNode& a, const RNode& b) { return a.prefix < b.prefix; });
    if (node.parts.size() != 2 || node.parts[0].prefix != half(node.prefix, 0) ||
        node.parts[1].prefix != half(node.prefix, 1))
        s.keep(in, net::formatNetwork(node.prefix) + " is split, but not into its two halves");
    return true;
}

// The value of "subnets": one top-level subnet, the base network where there is one.
bool readSubnets(textio::json::Reader& in, Subnets& s)
{
    if (!in.beginObject())
        return false;
    std::string key;
    while (in.nextMember(key)) {
        if (key.starts_with("_")) {
            if (!in.skipValue())
                return false;
            continue;
        }
        if (s.haveRoot)
            s.keep(in, "more than one top-level subnet");
        else if (parseKey(in, s, key, s.root.prefix) && s.base &&
                 (s.root.prefix.network() != s.base->network() || s.root.prefix.length != s.base->length))
            s.keep(in, textio::quoted(key) + " is not the base network " + net::formatNetwork(*s.base));
        s.haveRoot = true;
        if (!readNode(in, s, s.root))
            return false;
    }
    return !in.failed();
}

// Reads the subnets where the reader stands. A value of the wrong type among them is kept as
// a fault of the subnets when the rest of the document is sound (the reader skips them
// again to find out); a fault in their syntax fails the reader.
void readSubnetsAt(textio::json::Reader& in, Subnets& s)
{
    textio::json::Reader sub = in;
    if (readSubnets(sub, s)) {
        in = std::move(sub);
        return;
    }
    if (!s.fault)
        s.fault = problemAt(sub.errorPath(), sub.errorReason());
    in.skipValue();
}

void flatten(RNode& n, VscTree& tree)
{
    FlatBlock b;
    b.prefix = n.prefix.masked();
    bool cut = false;
    b.name = asName(n.note, &cut);
    if (cut)
        b.note = n.note;
    const std::string item = net::formatNetwork(b.prefix);
    if (!n.colour.empty()) {
        b.colour = textio::parseColourText(n.colour, textio::ColourAlpha::Ignored);
        if (!b.colour)
            tree.notices.push_back(
                textio::lineProblem(0, item + ": colour " + textio::quoted(n.colour) + " is not #rrggbb; left out"));
    }
    b.container = !n.parts.empty();
    b.state = b.container || n.note.empty() ? plan::BlockState::Free : plan::BlockState::Assigned;
    tree.blocks.push_back(std::move(b));
    for (RNode& p : n.parts)
        flatten(p, tree);
}

VscRead refused(std::string_view path, std::string_view reason)
{
    VscRead r;
    r.error = textio::escaped(path) + ": " + std::string(reason);  // keys are any text
    return r;
}

// The base network that version 2 gives the short keys; empty, or why there is none.
std::string baseOf(const std::string& version, const std::string& baseText, std::optional<net::Prefix>& base)
{
    base.reset();
    if (version != "2")
        return {};
    net::Prefix p;
    std::string why = baseText.empty() ? "version 2 needs a base_network" : parsePrefixField(baseText, p);
    if (why.empty() && p.address.family != net::Family::V4)
        why = "visualsubnetcalc holds IPv4 plans only";
    if (why.empty())
        base = p;
    return why;
}

// The plain members of the configuration, and where its subnets stand.
struct Config {
    std::string version, baseText, modeName;
    bool hasMode = false;
    std::vector<textio::json::Reader> subnets;  // the reader at each "subnets" value
    bool readInPlace = true;  // each was read where it stands: the values it needs came before it
};

// One pass over the document. The subnets are read where they stand when the version and
// base network they need came before them (as every writer puts them); otherwise, or when
// those change after them, again from where they stand once the whole has been read.
void readMembers(textio::json::Reader& in, Config& c, Subnets& s)
{
    std::string key;
    while (in.nextMember(key)) {
        if (key == "config_version" || key == "v") {
            c.readInPlace = c.readInPlace && c.subnets.empty();
            if (in.readString(c.version) && c.version != "1" && c.version != "2")
                in.fail("the configuration version is " + textio::quoted(c.version) + "; \"1\" and \"2\" are known");
        } else if (key == "base_network" || key == "b") {
            c.readInPlace = c.readInPlace && c.subnets.empty();
            in.readString(c.baseText);
        } else if (key == "operating_mode" || key == "m") {
            c.hasMode = in.readString(c.modeName);
        } else if (key == "subnets" || key == "s") {
            c.subnets.push_back(in);
            c.readInPlace = c.readInPlace && !c.version.empty() && baseOf(c.version, c.baseText, s.base).empty();
            s.version = c.version;
            if (c.readInPlace)
                readSubnetsAt(in, s);
            else
                in.skipValue();
        } else {
            in.skipValue();
        }
    }
}

plan::CloudMode modeOf(const Config& c, VscTree& tree)
{
    if (!c.hasMode || c.modeName == "Standard")
        return plan::CloudMode::None;
    if (c.modeName == "AWS")
        return plan::CloudMode::Aws;
    if (c.modeName == "AZURE")
        return plan::CloudMode::Azure;
    if (c.modeName == "OCI")
        return plan::CloudMode::Oci;
    tree.notices.push_back(textio::lineProblem(0, "operating mode " + textio::quoted(c.modeName) +
                                                      " is not known here; the standard rules apply"));
    return plan::CloudMode::None;
}

VscRead readConfig(std::string_view text)
{
    textio::json::Reader in(text);
    Config c;
    Subnets s;
    if (in.beginObject()) {
        readMembers(in, c, s);
        if (!in.failed() && c.version.empty())
            in.fail("the configuration has no config_version");
        if (!in.failed() && c.subnets.empty())
            in.fail("the configuration holds no subnets");
    }
    if (!in.failed())
        in.atEnd();
    if (in.failed())
        return refused(in.errorPath(), in.errorReason());
    std::optional<net::Prefix> base;
    if (std::string why = baseOf(c.version, c.baseText, base); !why.empty())
        return refused("$.base_network", textio::quoted(c.baseText) + ": " + why);
    if (!c.readInPlace) {
        s = Subnets{};
        s.version = c.version;
        s.base = base;
        for (textio::json::Reader& at : c.subnets)
            if (!s.fault)
                readSubnetsAt(at, s);
    }
    if (!s.fault && !s.haveRoot)
        s.keep(in, "the configuration holds no subnets");
    if (s.fault)
        return refused(s.fault->path, s.fault->message);
    VscTree tree;
    tree.base = s.root.prefix.masked();
    tree.mode = modeOf(c, tree);
    flatten(s.root, tree);
    return VscRead{std::move(tree), {}};
}

}  // namespace

WriteResult writeVscJson(const std::vector<FlatBlock>& blocks, plan::CloudMode mode)
{
    return writeConfig(blocks, mode, false);
}

WriteResult writeVscLink(const std::vector<FlatBlock>& blocks, plan::CloudMode mode, std::string_view page)
{
    WriteResult r = writeConfig(blocks, mode, true);
    if (r.error.empty())
        r.text = std::string(page) + "?c=1" + lz::compressToEncodedURIComponent(textio::utf8ToUtf16(r.text));
    return r;
}

VscRead readVscJson(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    return readConfig(text);
}

VscRead readVscLink(std::string_view link)
{
    VscRead r;
    link = textio::trimBlanks(link);
    while (!link.empty() && (link.back() == '\n' || link.back() == '\r'))
        link.remove_suffix(1);
    std::string_view value;
    if (const auto q = link.find('?'); q != std::string_view::npos) {
        std::string_view query = link.substr(q + 1);
        query = query.substr(0, query.find('#'));
        for (std::size_t from = 0; from <= query.size();) {
            const std::size_t amp = std::min(query.find('&', from), query.size());
            const std::string_view param = query.substr(from, amp - from);
            if (param.starts_with("c="))
                value = param.substr(2);
            from = amp + 1;
        }
        if (value.empty()) {
            r.error = "the link has no c= value: it is not a visualsubnetcalc share link";
            return r;
        }
    } else {
        value = link;
    }
    std::string data;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '%' && i + 2 < value.size() + 0 && textio::hexDigitValue(value[i + 1]) >= 0 &&
            textio::hexDigitValue(value[i + 2]) >= 0) {
            data += static_cast<char>(textio::hexDigitValue(value[i + 1]) * 16 + textio::hexDigitValue(value[i + 2]));
            i += 2;
        } else {
            data += value[i];
        }
    }
    if (data.empty() || data[0] != '1') {
        r.error = "the link's data does not start with version 1 (" + textio::quoted(data.substr(0, 12)) + ")";
        return r;
    }
    lz::DecodeResult decoded = lz::decompressFromEncodedURIComponent(std::string_view(data).substr(1));
    if (!decoded.text) {
        r.error = "the link's data cannot be unpacked: " + decoded.error;
        return r;
    }
    return readConfig(textio::utf16ToUtf8(*decoded.text));
}

}  // namespace mq::interchange
