#include "interchange/vsc.h"

#include <algorithm>

#include "interchange/fields.h"
#include "interchange/lzstring.h"
#include "plan/json.h"
#include "textio/escape.h"

namespace mq::interchange {

namespace {

// ---- Writing ----

struct Node {
    net::Prefix prefix;
    const ExportBlock* block = nullptr;  // null for a block filled in between
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
Node build(const net::Prefix& p, const ExportBlock* block, const std::vector<const ExportBlock*>& inside)
{
    Node n{p, block, {}};
    if (inside.empty() || p.length >= 32)
        return n;
    for (int which = 0; which < 2; ++which) {
        const net::Prefix h = half(p, which);
        const ExportBlock* same = nullptr;
        std::vector<const ExportBlock*> below;
        for (const ExportBlock* b : inside) {
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

std::string noteOf(const ExportBlock& b)
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

class JsonOut {
public:
    JsonOut(bool pretty) : pretty_(pretty) { }
    void open()
    {
        out += '{';
        ++depth_;
        first_ = true;
    }
    void close()
    {
        --depth_;
        if (!first_)
            newline();
        out += '}';
        first_ = false;
    }
    void key(std::string_view k)
    {
        if (!first_)
            out += ',';
        newline();
        plan::json::appendString(out, k);
        out += pretty_ ? ": " : ":";
        first_ = true;
    }
    void string(std::string_view s)
    {
        plan::json::appendString(out, s);
        first_ = false;
    }
    std::string out;

private:
    void newline()
    {
        if (!pretty_)
            return;
        out += '\n';
        out.append(static_cast<std::size_t>(depth_) * 2, ' ');
    }
    bool pretty_;
    int depth_ = 0;
    bool first_ = true;
};

struct Shape {
    bool shortKeys;
    net::Prefix base;
};

std::string keyOf(const Shape& s, const net::Prefix& p)
{
    if (!s.shortKeys)
        return net::formatNetwork(p);
    const auto offset = static_cast<std::uint32_t>(p.network().value - s.base.network().value);
    const std::uint32_t nth = p.length == 0 ? 0 : offset >> (32 - p.length);
    return std::to_string(nth) + base36(p.length);
}

void writeNode(JsonOut& j, const Shape& s, const Node& n)
{
    j.key(keyOf(s, n.prefix));
    j.open();
    std::string note, colour;
    if (n.block) {
        note = noteOf(*n.block);
        if (n.block->colour)
            colour = colourText(*n.block->colour);
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
    j.close();
}

WriteResult writeConfig(const std::vector<ExportBlock>& blocks, plan::CloudMode mode, bool shortKeys)
{
    WriteResult r;
    if (blocks.empty()) {
        r.error = "the plan has no blocks";
        return r;
    }
    const ExportBlock& root = blocks.front();
    if (root.prefix.address.family != net::Family::V4) {
        r.error = "visualsubnetcalc holds IPv4 plans only; " + net::formatNetwork(root.prefix) + " is IPv6";
        return r;
    }
    std::vector<const ExportBlock*> inside;
    for (std::size_t i = 1; i < blocks.size(); ++i) {
        const ExportBlock& b = blocks[i];
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
        r.notices.push_back({0, "visualsubnetcalc has no Google Cloud mode: written in its standard mode"});
    // The tool opens a plan in a cloud mode only when no subnet is smaller than the mode allows.
    int longest = base.length;
    for (const ExportBlock* b : inside)
        longest = std::max(longest, b->prefix.length);
    // The page refuses the whole plan when a mode's minimum is broken ("One or more subnets are
    // smaller than the minimum allowed"): the plan is written in the standard mode instead.
    std::string_view modeName = modeText(mode);
    if (!modeName.empty() && longest > plan::cloudRules(mode).longest) {
        r.notices.push_back({0, "visualsubnetcalc opens this plan in its standard mode: it holds a /" +
                                    std::to_string(longest) + ", smaller than " +
                                    std::string(plan::cloudRules(mode).label) + " allows (/" +
                                    std::to_string(plan::cloudRules(mode).longest) + ")"});
        modeName = {};
    }
    // The page cuts a note at its first double quote.
    for (const ExportBlock& b : blocks)
        if (noteOf(b).find('"') != std::string::npos)
            r.notices.push_back({0, net::formatNetwork(b.prefix) +
                                        ": visualsubnetcalc cuts its note at the first \" (" + quotedItem(noteOf(b)) +
                                        ")"});

    JsonOut j(!shortKeys);
    const std::string baseText = net::formatNetwork(base);
    j.open();
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
    j.open();
    writeNode(j, Shape{shortKeys, base}, tree);
    j.close();
    j.close();
    r.text = std::move(j.out);
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

struct Reading {
    plan::json::Reader& in;
    std::string version;
    std::optional<net::Prefix> base;
    std::size_t nodes = 0;
};

// A subnet key: "10.0.0.0/17", or "<n><length in base 36>" of version 2.
bool parseKey(Reading& rd, const std::string& key, net::Prefix& out)
{
    if (key.find('/') != std::string::npos) {
        if (std::string why = parsePrefixField(key, out); !why.empty()) {
            rd.in.fail(quotedItem(key) + " is not a subnet: " + why);
            return false;
        }
        if (out.address.family != net::Family::V4) {
            rd.in.fail(quotedItem(key) + " is not an IPv4 subnet");
            return false;
        }
        return true;
    }
    const char last = key.empty() ? '?' : key.back();
    const int length = last >= '0' && last <= '9' ? last - '0' : last >= 'a' && last <= 'w' ? last - 'a' + 10 : -1;
    const std::string digits = key.empty() ? std::string() : key.substr(0, key.size() - 1);
    const bool ok = rd.version == "2" && rd.base && length >= rd.base->length && length <= 32 && !digits.empty() &&
                    digits.size() <= 10 && digits.find_first_not_of("0123456789") == std::string::npos;
    const std::uint64_t nth = ok ? std::stoull(digits) : 0;
    if (!ok || nth >= (std::uint64_t{1} << (length - rd.base->length))) {  // at most 1 << 32
        rd.in.fail(quotedItem(key) + " is not a subnet of the base network");
        return false;
    }
    const std::uint64_t offset = length == 0 ? 0 : nth << (32 - length);
    out = {net::Address::v4(static_cast<std::uint32_t>(rd.base->network().value + offset)), length};
    return true;
}

bool readNode(Reading& rd, RNode& node)
{
    if (!rd.in.beginObject())
        return false;
    if (++rd.nodes > plan::kMaxBlocks) {
        rd.in.fail("more than " + std::to_string(plan::kMaxBlocks) + " subnets");
        return false;
    }
    std::string key;
    while (rd.in.nextMember(key)) {
        if (key == "_note" || key == "n" || key == "_n") {
            if (!rd.in.readString(node.note))
                return false;
        } else if (key == "_color" || key == "c" || key == "_c") {
            if (!rd.in.readString(node.colour))
                return false;
        } else if (key.starts_with("_") || key == "p") {
            if (!rd.in.skipValue())
                return false;  // the tool's own extras (cell colours)
        } else {
            RNode part;
            if (!parseKey(rd, key, part.prefix))
                return false;
            if (!node.prefix.contains(part.prefix) || part.prefix.length <= node.prefix.length) {
                rd.in.fail(net::formatNetwork(part.prefix) + " does not lie inside " + net::formatNetwork(node.prefix));
                return false;
            }
            if (!readNode(rd, part))
                return false;
            node.parts.push_back(std::move(part));
        }
    }
    if (rd.in.failed())
        return false;
    if (node.parts.empty())
        return true;
    std::sort(node.parts.begin(), node.parts.end(), [](const RNode& a, const RNode& b) { return a.prefix < b.prefix; });
    if (node.parts.size() != 2 || node.parts[0].prefix != half(node.prefix, 0) ||
        node.parts[1].prefix != half(node.prefix, 1)) {
        rd.in.fail(net::formatNetwork(node.prefix) + " is split, but not into its two halves");
        return false;
    }
    return true;
}

void flatten(RNode& n, VscTree& tree)
{
    ExportBlock b;
    b.prefix = n.prefix.masked();
    bool cut = false;
    b.name = asName(n.note, &cut);
    if (cut)
        b.note = n.note;
    const std::string item = net::formatNetwork(b.prefix);
    if (!n.colour.empty()) {
        b.colour = parseColourText(n.colour);
        if (!b.colour)
            tree.notices.push_back({0, item + ": colour " + quotedItem(n.colour) + " is not #rrggbb; left out"});
    }
    b.status = !n.parts.empty() ? Status::Container : n.note.empty() ? Status::Free : Status::Active;
    tree.blocks.push_back(std::move(b));
    for (RNode& p : n.parts)
        flatten(p, tree);
}

VscRead fail(const plan::json::Reader& in)
{
    VscRead r;
    r.error = textio::escaped(in.errorPath()) + ": " + in.errorReason();  // keys are any text
    return r;
}

VscRead readConfig(std::string_view text)
{
    VscTree tree;
    std::string modeName;
    bool hasMode = false, hasSubnets = false;
    std::string baseText, version;
    // First the plain values, since the subnets' keys may need the base that follows them.
    {
        plan::json::Reader in(text);
        std::string key;
        if (in.beginObject()) {
            while (in.nextMember(key)) {
                if (key == "config_version" || key == "v") {
                    if (in.readString(version) && version != "1" && version != "2")
                        in.fail("the configuration version is " + quotedItem(version) + "; \"1\" and \"2\" are known");
                } else if (key == "base_network" || key == "b") {
                    in.readString(baseText);
                } else if (key == "operating_mode" || key == "m") {
                    hasMode = in.readString(modeName);
                } else {
                    hasSubnets = hasSubnets || key == "subnets" || key == "s";
                    in.skipValue();
                }
            }
            if (!in.failed() && version.empty())
                in.fail("the configuration has no config_version");
            if (!in.failed() && !hasSubnets)
                in.fail("the configuration holds no subnets");
        }
        if (!in.failed())
            in.atEnd();
        if (in.failed())
            return fail(in);
    }
    std::optional<net::Prefix> base;
    if (version == "2") {
        net::Prefix p;
        std::string why = baseText.empty() ? "version 2 needs a base_network" : parsePrefixField(baseText, p);
        if (why.empty() && p.address.family != net::Family::V4)
            why = "visualsubnetcalc holds IPv4 plans only";
        if (!why.empty()) {
            VscRead r;
            r.error = "$.base_network: " + quotedItem(baseText) + ": " + why;
            return r;
        }
        base = p;
    }
    // Again, now reading the subnets.
    plan::json::Reader in2(text);
    Reading rd2{in2, version, base};
    std::string key;
    RNode root;
    bool haveRoot = false;
    in2.beginObject();
    while (in2.nextMember(key)) {
        if (key != "subnets" && key != "s") {
            in2.skipValue();
            continue;
        }
        if (!in2.beginObject())
            break;
        std::string rootKey;
        while (in2.nextMember(rootKey)) {
            if (rootKey.starts_with("_")) {
                in2.skipValue();
                continue;
            }
            if (haveRoot) {
                in2.fail("more than one top-level subnet");
                break;
            }
            if (!parseKey(rd2, rootKey, root.prefix))
                break;
            if (rd2.base && root.prefix.masked() != rd2.base->masked()) {
                in2.fail(quotedItem(rootKey) + " is not the base network " + net::formatNetwork(*rd2.base));
                break;
            }
            haveRoot = true;
            readNode(rd2, root);
        }
    }
    if (!in2.failed() && !haveRoot)
        in2.fail("the configuration holds no subnets");
    if (in2.failed())
        return fail(in2);
    tree.base = root.prefix.masked();
    if (hasMode && modeName != "Standard") {
        if (modeName == "AWS")
            tree.mode = plan::CloudMode::Aws;
        else if (modeName == "AZURE")
            tree.mode = plan::CloudMode::Azure;
        else if (modeName == "OCI")
            tree.mode = plan::CloudMode::Oci;
        else
            tree.notices.push_back(
                {0, "operating mode " + quotedItem(modeName) + " is not known here; the standard rules apply"});
    }
    flatten(root, tree);
    VscRead r;
    r.tree = std::move(tree);
    return r;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

WriteResult writeVscJson(const std::vector<ExportBlock>& blocks, plan::CloudMode mode)
{
    return writeConfig(blocks, mode, false);
}

WriteResult writeVscLink(const std::vector<ExportBlock>& blocks, plan::CloudMode mode, std::string_view page)
{
    WriteResult r = writeConfig(blocks, mode, true);
    if (r.error.empty())
        r.text = std::string(page) + "?c=1" + lz::compressToEncodedURIComponent(lz::utf8ToUtf16(r.text));
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
    link = trimBlanks(link);
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
        if (value[i] == '%' && i + 2 < value.size() + 0 && hexDigit(value[i + 1]) >= 0 && hexDigit(value[i + 2]) >= 0) {
            data += static_cast<char>(hexDigit(value[i + 1]) * 16 + hexDigit(value[i + 2]));
            i += 2;
        } else {
            data += value[i];
        }
    }
    if (data.empty() || data[0] != '1') {
        r.error = "the link's data does not start with version 1 (" + quotedItem(data.substr(0, 12)) + ")";
        return r;
    }
    lz::DecodeResult decoded = lz::decompressFromEncodedURIComponent(std::string_view(data).substr(1));
    if (!decoded.text) {
        r.error = "the link's data cannot be unpacked: " + decoded.error;
        return r;
    }
    return readConfig(lz::utf16ToUtf8(*decoded.text));
}

}  // namespace mq::interchange
