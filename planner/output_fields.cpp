#include "planner/output_fields.h"

#include "net/parse.h"
#include "plan/fields.h"
#include "textio/escape.h"
#include "textio/fields.h"

#include <limits>
#include <optional>

namespace mq::planner {

namespace {

// A name as typed, without the blanks around it and the root's dot that people add.
std::string nameOf(std::string_view text)
{
    std::string_view t = textio::trimBlanks(text);
    if (t.size() > 1 && t.back() == '.')
        t.remove_suffix(1);
    return std::string(t);
}

// Reads addresses separated by commas or blanks into *out; the reason when one does not read.
std::string readAddresses(std::string_view text, std::vector<net::Address>* out, std::size_t most)
{
    const auto read = plan::parseAddressList(text, most);
    if (!read)
        return read.problem().message;
    out->insert(out->end(), read->begin(), read->end());
    return {};
}

std::string readSeconds(const std::string& text, std::uint32_t* out)
{
    const auto read = plan::parseSeconds(text);
    if (!read)
        return read.problem().message;
    *out = *read;
    return {};
}

std::string readNameServers(std::string_view text, std::vector<plan::NameServer>* out)
{
    std::size_t line = 0;
    for (std::size_t at = 0; at <= text.size() && out->size() <= plan::kMaxNameServers; ++line) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        std::string_view row = text.substr(at, end - at);
        at = end + 1;
        if (!row.empty() && row.back() == '\r')
            row.remove_suffix(1);
        if (textio::trimBlanks(row).empty())
            continue;
        const std::size_t eq = row.find('=');
        plan::NameServer ns{nameOf(row.substr(0, eq)), {}};
        if (eq != std::string_view::npos) {
            if (auto why = readAddresses(row.substr(eq + 1), &ns.addresses, plan::kMaxDnsServers); !why.empty())
                return "line " + std::to_string(line + 1) + ": " + why;
        }
        out->push_back(std::move(ns));
    }
    return {};
}

std::string joined(const std::vector<net::Address>& addresses)
{
    std::string out;
    for (const net::Address& a : addresses)
        out += (out.empty() ? "" : ", ") + net::format(a);
    return out;
}

// The place of a choice's word among its words; nullopt when it is none of them.
std::optional<std::size_t> choiceOf(plan::OutputValue value, std::string_view word)
{
    const std::vector<std::string_view> words = choiceWords(value);
    for (std::size_t i = 0; i < words.size(); ++i)
        if (words[i] == word)
            return i;
    return std::nullopt;
}

std::string fieldOf(const plan::OutputKey& k, const plan::OutputSettings& s)
{
    using V = plan::OutputValue;
    const auto word = [&](std::size_t i) { return std::string(choiceWords(k.value)[i]); };
    switch (k.value) {
    case V::Name:
    case V::Text: return s.*k.text;
    case V::Seconds: return std::to_string(s.*k.seconds);
    case V::Servers: return joined(s.dnsServers);
    case V::NameServers: {
        std::string text;
        for (const plan::NameServer& ns : s.nameServers)
            text += ns.name + (ns.addresses.empty() ? "" : "=" + joined(ns.addresses)) + "\n";
        return text;
    }
    case V::ZoneCut4: return std::to_string(s.zoneCut4);
    case V::ZoneCut6: return s.zoneCut6 == 0 ? kPerRoot : "/" + std::to_string(s.zoneCut6);
    case V::Naming: return word(static_cast<std::size_t>(s.naming));
    case V::Rfc2317: return word(static_cast<std::size_t>(s.rfc2317));
    case V::Delegated: {
        std::string text;
        for (const net::Prefix& p : s.delegated)
            text += (text.empty() ? "" : ", ") + net::formatNetwork(p);
        return text;
    }
    case V::YesNo: return word(s.emptyReverseZones ? 1 : 0);
    }
    return {};
}

std::string readZoneCut6(std::string_view text, int* out)
{
    std::string_view cut = textio::trimBlanks(text);
    if (cut.empty() || textio::equalsIgnoringCase(cut, kPerRoot)) {
        *out = 0;
        return {};
    }
    if (cut.front() == '/')
        cut.remove_prefix(1);
    const auto n = net::parseDecimal(cut);
    if (!n || *n < 4 || *n > 124)
        return textio::quoted(textio::trimBlanks(text)) + " is no prefix length from /4 to /124 (or \"per root\")";
    *out = static_cast<int>(*n);
    return {};
}

// Reads one field into s; the reason, without the field's name, when it does not read.
std::string readField(const plan::OutputKey& k, const std::string& text, plan::OutputSettings& s)
{
    using V = plan::OutputValue;
    switch (k.value) {
    case V::Name: s.*k.text = nameOf(text); return {};
    case V::Text: s.*k.text = std::string(textio::trimBlanks(text)); return {};
    case V::Seconds: return readSeconds(text, &(s.*k.seconds));
    case V::Servers: return readAddresses(text, &s.dnsServers, plan::kMaxDnsServers);
    case V::NameServers: return readNameServers(text, &s.nameServers);
    case V::ZoneCut6: return readZoneCut6(text, &s.zoneCut6);
    case V::Delegated: {
        auto delegated = plan::parseDelegatedList(text);
        if (const auto* why = std::get_if<std::string>(&delegated))
            return *why;
        s.delegated = std::move(std::get<std::vector<net::Prefix>>(delegated));
        return {};
    }
    case V::ZoneCut4:
    case V::Naming:
    case V::Rfc2317:
    case V::YesNo: break;
    }
    const auto i = choiceOf(k.value, text);
    if (!i)
        return textio::quoted(text) + " is not one of its choices";
    if (k.value == V::ZoneCut4)
        s.zoneCut4 = 8 * static_cast<int>(*i + 1);
    else if (k.value == V::Naming)
        s.naming = static_cast<plan::ReverseNaming>(*i);
    else if (k.value == V::Rfc2317)
        s.rfc2317 = static_cast<plan::Rfc2317>(*i);
    else
        s.emptyReverseZones = *i == 1;
    return {};
}

}  // namespace

std::vector<std::string_view> choiceWords(plan::OutputValue value)
{
    using V = plan::OutputValue;
    switch (value) {
    case V::ZoneCut4: return {"8", "16", "24"};
    case V::Naming: return {"slash", "dash"};
    case V::Rfc2317: return {"none", "all"};
    case V::YesNo: return {"no", "yes"};
    default: return {};
    }
}

OutputFields fieldsOf(const plan::OutputSettings& s)
{
    OutputFields f;
    for (std::size_t i = 0; i < plan::kOutputKeyCount; ++i)
        f.texts[i] = fieldOf(plan::kOutputKeys[i], s);
    return f;
}

std::variant<plan::OutputSettings, std::string> readFields(const OutputFields& f)
{
    plan::OutputSettings s;
    for (std::size_t i = 0; i < plan::kOutputKeyCount; ++i) {
        const plan::OutputKey& k = plan::kOutputKeys[i];
        if (auto why = readField(k, f.texts[i], s); !why.empty())
            return std::string(k.field) + (k.value == plan::OutputValue::NameServers ? ", " : ": ") + why;
    }
    plan::qualifyNames(s);
    if (auto why = plan::checkOutputSettings(s); !why.empty())
        return why;
    return s;
}

}  // namespace mq::planner
