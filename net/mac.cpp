// MAC addresses and DUIDs as people type them, and the IPv6 addresses made from them.
#include "net/mac.h"

#include <algorithm>
#include <random>

#include "textio/escape.h"
#include "textio/fields.h"

namespace mq::net {

namespace {

// The text without its blanks, and in *offset where it starts within the original.
std::string_view trimmed(std::string_view text, std::size_t* offset)
{
    const std::string_view t = textio::trimBlanks(text);
    *offset = t.empty() ? 0 : static_cast<std::size_t>(t.data() - text.data());
    return t;
}

ParseError fault(std::size_t at, std::string message)
{
    return ParseError{at, std::move(message), ParseError::Fault::Text};
}

// The digits of `text` in groups of `width`, joined by `sep` (0: none), into bytes.
std::variant<std::vector<std::uint8_t>, ParseError> readGroups(std::string_view text, std::size_t offset, char sep,
                                                               std::size_t width)
{
    std::vector<std::uint8_t> bytes;
    std::size_t digits = 0;
    int high = -1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (sep && c == sep) {
            if (digits != width)
                return fault(offset + i,
                             "a group has " + std::to_string(digits) + " hex digits, not " + std::to_string(width));
            digits = 0;
            continue;
        }
        const int v = textio::hexDigitValue(c);
        if (v < 0)
            return fault(offset + i, "'" + textio::escaped(text.substr(i, 1)) + "' is not a hex digit");
        if (sep && digits == width)
            return fault(offset + i, "a group has more than " + std::to_string(width) + " hex digits");
        ++digits;
        if (high < 0) {
            high = v;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high << 4 | v));
            high = -1;
        }
    }
    if (sep && digits != width)
        return fault(offset + text.size(),
                     "the last group has " + std::to_string(digits) + " hex digits, not " + std::to_string(width));
    if (high >= 0)
        return fault(offset + text.size(), "an odd number of hex digits");
    return bytes;
}

}  // namespace

Parsed<Mac> parseMac(std::string_view text)
{
    std::size_t offset = 0;
    const std::string_view t = trimmed(text, &offset);
    if (t.empty())
        return fault(0, "a MAC address is empty");
    char sep = 0;
    std::size_t width = 12;
    for (char c : t) {
        if (c == ':' || c == '-' || c == '.') {
            sep = c;
            width = c == '.' ? 4 : 2;
            break;
        }
    }
    auto read = readGroups(t, offset, sep, width);
    if (auto* e = std::get_if<ParseError>(&read))
        return *e;
    const auto& bytes = std::get<std::vector<std::uint8_t>>(read);
    if (bytes.size() != 6)
        return fault(offset, "a MAC address has 6 bytes, not " + std::to_string(bytes.size()));
    Mac m;
    std::copy(bytes.begin(), bytes.end(), m.bytes.begin());
    return m;
}

namespace {

std::string hexPairs(const std::uint8_t* bytes, std::size_t n)
{
    std::string out;
    out.reserve(n * 3);
    for (std::size_t i = 0; i < n; ++i) {
        if (i)
            out += ':';
        out += textio::hexDigit(bytes[i] >> 4u);
        out += textio::hexDigit(bytes[i]);
    }
    return out;
}

}  // namespace

std::string formatMac(const Mac& mac)
{
    return hexPairs(mac.bytes.data(), mac.bytes.size());
}

Parsed<Duid> parseDuid(std::string_view text)
{
    std::size_t offset = 0;
    const std::string_view t = trimmed(text, &offset);
    char sep = 0;
    for (char c : t)
        if (c == ':' || c == '-') {
            sep = c;
            break;
        }
    auto read = readGroups(t, offset, sep, 2);
    if (auto* e = std::get_if<ParseError>(&read))
        return *e;
    auto& bytes = std::get<std::vector<std::uint8_t>>(read);
    if (bytes.size() < 3 || bytes.size() > 130)
        return fault(offset, "a DUID has 3 to 130 bytes, not " + std::to_string(bytes.size()));
    return std::move(bytes);
}

std::string formatDuid(const Duid& duid)
{
    return hexPairs(duid.data(), duid.size());
}

std::uint64_t eui64InterfaceId(const Mac& mac)
{
    const auto& b = mac.bytes;
    const std::uint8_t id[8] = {static_cast<std::uint8_t>(b[0] ^ 0x02), b[1], b[2], 0xFF, 0xFE, b[3], b[4], b[5]};
    std::uint64_t v = 0;
    for (std::uint8_t x : id)
        v = v << 8 | x;
    return v;
}

Parsed<Address> eui64Address(const Prefix& prefix, const Mac& mac)
{
    if (prefix.address.family != Family::V6)
        return fault(0, "EUI-64 addresses are IPv6: " + formatNetwork(prefix) + " is IPv4");
    if (prefix.length > 64)
        return fault(0, "an EUI-64 address needs a prefix of /64 or shorter, not /" + std::to_string(prefix.length));
    return Address::v6(prefix.network().value | eui64InterfaceId(mac));
}

Prefix ulaPrefix(std::uint64_t globalId)
{
    const u128 id = globalId & ((std::uint64_t{1} << 40) - 1);
    return {Address::v6(u128{0xFD} << 120 | id << 80), 48};
}

std::uint64_t randomUlaGlobalId()
{
    // libstdc++ reads std::random_device from the kernel (getrandom, /dev/urandom or the
    // CPU's RDRAND/RDSEED), a cryptographic source; it never falls back to a fixed seed.
    std::random_device source;
    const std::uint64_t high = source() & 0xFF;
    const std::uint64_t low = source() & 0xFFFFFFFFu;
    return high << 32 | low;
}

}  // namespace mq::net
