#include "classless/form.h"

#include "net/bits.h"
#include "net/special.h"
#include "net/summarize.h"
#include "textio/escape.h"
#include "textio/fields.h"

namespace mq::classless {

using net::Address;
using net::Family;
using net::u128;

namespace {

const Field kFields[kFieldCount] = {
    {"Address", "Address", {}},
    {"Expanded", "Expanded", {}},
    {"PrefixLength", "Prefix", {}},
    {"Network", "Network", {}},
    {"Netmask", "Netmask", {}},
    {"Wildcard", "Wildcard", {}},
    {"Broadcast", "Broadcast", {}},
    {"First", "First usable", {}},
    {"Last", "Last usable", {}},
    {"Addresses", "Addresses", {}},
    {"Usable", "Usable hosts", {}},
    {"Class", "Class", {}},
    {"ReversePointer", "Reverse pointer", {}},
    {"ReverseZones", "Reverse zones", {}},
    {"Embedded", "Embedded IPv4", {}},
    {"Global", "Globally reachable", {}},
    {"AddressHex", "Address in hex", {}},
    {"MaskHex", "Mask in hex", {}},
    {"Range", "Range", {}},
    {"RangeAddresses", "Addresses in range", {}},
    {"RangePrefixes", "Range as prefixes", {}},
};

Address sameFamily(const Address& like, u128 v)
{
    return Address{v, like.family};
}

}  // namespace

int impliedLength(const Address& a)
{
    if (a.family == Family::V6)
        return 64;
    switch (net::classOf(a).value_or('E')) {
    case 'A': return 8;
    case 'B': return 16;
    case 'C': return 24;
    default: return 32;
    }
}

int coveringLength(const net::Range& r)
{
    const int bits = r.first.bits();
    return bits - net::bitLength(r.first.value ^ r.last.value);
}

std::vector<BitLine> bitLines(Family f, u128 value, int length)
{
    const int bits = net::familyBits(f);
    const int group = f == Family::V4 ? 8 : 16;
    const int perLine = 32;  // IPv6 on four lines, so a line fits beside its label
    std::vector<BitLine> lines;
    for (int i = 0; i < bits; ++i) {
        if (i % perLine == 0)
            lines.emplace_back();
        BitLine& line = lines.back();
        auto add = [&line](char c, BitKind k) {
            if (line.empty() || line.back().kind != k)
                line.push_back({{}, k});
            line.back().text += c;
        };
        if (i % perLine != 0 && i % group == 0)
            add(f == Family::V4 ? '.' : ':', BitKind::Gap);
        add(((value >> (bits - 1 - i)) & 1) ? '1' : '0', i < length ? BitKind::Network : BitKind::Host);
    }
    return lines;
}

std::string hexText(Family f, u128 value)
{
    const int n = f == Family::V4 ? 8 : 32;
    std::string s = "0x";
    for (int i = n - 1; i >= 0; --i)
        s += textio::hexDigit(static_cast<unsigned>(value >> (4 * i)));
    return s;
}

ClasslessForm::ClasslessForm() : notice(kEmptyNotice), fields(std::begin(kFields), std::end(kFields))
{
    fillMasks(Family::V4);
}

net::Prefix ClasslessForm::resultPrefix() const
{
    return facts_ ? net::Prefix{facts_->network, facts_->prefix.length} : net::Prefix{};
}

void ClasslessForm::fillMasks(Family f)
{
    const int bits = net::familyBits(f);
    if (prefixMaximum == bits && !maskList.empty())
        return;
    prefixMaximum = bits;
    maskList.clear();
    for (int len = 0; len <= bits; ++len)
        maskList.push_back("/" + std::to_string(len) + "  " + net::format(Address{net::maskOf(f, len), f}));
}

void ClasslessForm::setInput(const std::string& text)
{
    input = text;
    bool blank = text.find_first_not_of(" \t") == std::string::npos;
    if (blank) {
        // An empty box asks nothing: no complaint, and no results of an earlier text.
        error.clear();
        clearResults();
        notice = kEmptyNotice;
        return;
    }
    auto parsed = net::parseInput(text);
    if (auto* e = std::get_if<net::ParseError>(&parsed)) {
        error = net::describe(text, *e);
        notice = hasResults() ? "The results below are still those of " + shownText_ + "." : kEmptyNotice;
        return;
    }
    const net::Input& in = std::get<net::Input>(parsed);
    error.clear();
    notice.clear();
    int length = in.prefix.length;
    if (in.kind == net::Input::Kind::Address)
        length = impliedLength(in.prefix.address);
    else if (in.kind == net::Input::Kind::Range)
        length = coveringLength(in.range);
    show(in, length);
    shownText_ = textio::escaped(text);
}

void ClasslessForm::clearResults()
{
    facts_.reset();
    range_.reset();
    for (Field& fld : fields) {
        fld.value.clear();
        fld.shown = false;
    }
    badges.clear();
    addressBits.clear();
    maskBits.clear();
}

void ClasslessForm::show(const net::Input& in, int length)
{
    const bool isRange = in.kind == net::Input::Kind::Range;
    const Address address = isRange ? in.range.first : in.prefix.address;
    facts_ = net::describe(net::Prefix{address, length}, in.zone);
    range_ = isRange ? std::optional<net::Range>(in.range) : std::nullopt;
    addressText_ = net::format(address) + (in.zone.empty() ? "" : "%" + in.zone);
    const net::PrefixFacts& f = *facts_;
    const Family fam = address.family;
    fillMasks(fam);
    prefix = length;
    maskIndex = length;

    for (Field& fld : fields) {
        fld.value.clear();
        fld.shown = false;
    }
    auto set = [this](FieldId id, std::string v) {
        at(id).value = std::move(v);
        at(id).shown = true;
    };
    set(FieldId::Address, addressText_);
    set(FieldId::Expanded, net::formatExpanded(address));
    set(FieldId::PrefixLength, std::to_string(length));
    set(FieldId::Network, net::format(f.network) + "/" + std::to_string(length));
    set(FieldId::Netmask, net::format(sameFamily(address, f.netmask)));
    if (f.wildcard)
        set(FieldId::Wildcard, net::format(sameFamily(address, *f.wildcard)));
    if (f.broadcast)
        set(FieldId::Broadcast, net::format(*f.broadcast));
    set(FieldId::First, net::format(f.first));
    set(FieldId::Last, net::format(f.last));
    set(FieldId::Addresses, net::toDecimal(f.addresses));
    set(FieldId::Usable, net::toDecimal(f.usable));
    if (f.addressClass)
        set(FieldId::Class, std::string(1, *f.addressClass));
    set(FieldId::ReversePointer, f.reversePointer);
    std::string zones;
    for (const std::string& z : f.reverseZones)
        zones += (zones.empty() ? "" : ", ") + z;
    set(FieldId::ReverseZones, zones);
    if (f.embedded)
        set(FieldId::Embedded, net::format(f.embedded->v4) + " (" + std::string(f.embedded->kind) + ")");
    set(FieldId::Global, f.global ? "yes" : "no");
    set(FieldId::AddressHex, hexText(fam, address.value));
    set(FieldId::MaskHex, hexText(fam, f.netmask));
    if (range_) {
        set(FieldId::Range, net::format(range_->first) + " - " + net::format(range_->last));
        const u128 span = range_->last.value - range_->first.value;
        set(FieldId::RangeAddresses,
            span + 1 == 0 ? net::toDecimal(net::Count::powerOfTwo(128)) : net::toDecimal(span + 1));
        std::string list;
        for (const net::Prefix& p : net::rangeToPrefixes(*range_))
            list += (list.empty() ? "" : ", ") + net::formatNetwork(p);
        set(FieldId::RangePrefixes, list);
    }
    badges.clear();
    for (const net::SpecialEntry* e : f.special)
        badges.push_back(net::badgeText(*e));
    addressBits = bitLines(fam, address.value, length);
    maskBits = bitLines(fam, f.netmask, length);
}

void ClasslessForm::setPrefix(int length)
{
    if (length < 0 || length > prefixMaximum || (hasResults() && length == prefix && error.empty()))
        return;
    if (!hasResults()) {
        prefix = length;
        maskIndex = length;
        return;
    }
    // Written like a typed text, so the box and the results agree.
    setInput(addressText_ + "/" + std::to_string(length));
}

void ClasslessForm::chooseMask(int index)
{
    setPrefix(index);
}

std::vector<std::string> ClasslessForm::resultLines() const
{
    std::vector<std::string> lines;
    if (!hasResults())
        return lines;
    for (const Field& f : fields)
        if (f.shown)
            lines.push_back(std::string(f.label) + ": " + f.value);
    for (const std::string& b : badges)
        lines.push_back("Registry: " + b);
    auto plain = [&lines](const char* label, const std::vector<BitLine>& bits) {
        for (const BitLine& line : bits) {
            std::string s;
            for (const BitRun& r : line)
                s += r.text;
            lines.push_back(std::string(label) + ": " + s);
        }
    };
    plain("Address in binary", addressBits);
    plain("Mask in binary", maskBits);
    return lines;
}

}  // namespace mq::classless
