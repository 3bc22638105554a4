#include "interchange/fields.h"

#include "net/parse.h"
#include "textio/escape.h"
#include "textio/fields.h"
#include "textio/utf8.h"

namespace mq::interchange {

std::string oneLine(std::string_view text)
{
    std::string out;
    bool gap = false;
    for (char c : text) {
        if (c == '\r' || c == '\n' || c == '\t') {
            gap = true;
            continue;
        }
        if (gap && !out.empty())
            out += ' ';
        gap = false;
        out += c;
    }
    return out;
}

std::string parsePrefixField(std::string_view text, net::Prefix& out, bool* cleared)
{
    text = textio::trimBlanks(text);
    if (text.empty())
        return "no prefix";
    const auto parsed = net::parsePrefix(text, net::HostBits::Keep);
    if (const auto* e = std::get_if<net::ParseError>(&parsed)) {
        switch (e->fault) {
        case net::ParseError::Fault::Range:
        case net::ParseError::Fault::Address: return "not a prefix (address/length)";
        case net::ParseError::Fault::Zone: return "a prefix has no zone";
        default: return e->message;
        }
    }
    const net::Prefix& typed = std::get<net::Prefix>(parsed);
    if (cleared)
        *cleared = !typed.isNetwork();
    out = typed.masked();
    return {};
}

std::string asName(std::string_view text, bool* cut)
{
    std::string name;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        name += (u < 0x20 || u == 0x7F) ? ' ' : c;
    }
    *cut = name.size() > plan::kMaxNameBytes;
    if (*cut) {
        std::size_t end = plan::kMaxNameBytes;
        while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80)
            --end;
        name.resize(end);
    }
    if (textio::utf8ErrorAt(name) != std::string::npos) {
        // Not UTF-8: keep the bytes that are, so nothing unreadable reaches the plan.
        std::string clean;
        for (std::size_t at; (at = textio::utf8ErrorAt(name)) != std::string::npos;) {
            clean += name.substr(0, at) + "\xEF\xBF\xBD";
            name.erase(0, at + 1);
        }
        name = clean + name;
    }
    return name;
}

void shareCommonValues(ReadResult& r)
{
    auto shared = [&](std::string plan::BlockIpam::*v, std::string& planWide) {
        for (const FlatBlock& b : r.blocks)
            if (b.ipam.*v != r.blocks.front().ipam.*v)
                return;
        if (r.blocks.empty())
            return;
        planWide = r.blocks.front().ipam.*v;
        for (FlatBlock& b : r.blocks)
            (b.ipam.*v).clear();
    };
    shared(&plan::BlockIpam::tenant, r.values.tenant);
    shared(&plan::BlockIpam::role, r.values.role);
    shared(&plan::BlockIpam::vrf, r.values.vrf);
}

char csvDelimiterOf(std::string_view text)
{
    const std::string_view first = text.substr(0, text.find('\n'));
    for (char c : {',', ';', '\t', '|'})
        if (first.find(c) != std::string_view::npos)
            return c;
    return ',';
}

}  // namespace mq::interchange
