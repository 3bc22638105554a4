#pragma once
// MAC addresses, DUIDs and the addresses made from them: modified EUI-64 interface IDs
// (RFC 4291 appendix A) and unique local prefixes (RFC 4193).
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "net/address.h"
#include "net/parse.h"

namespace mq::net {

struct Mac {
    std::array<std::uint8_t, 6> bytes{};
    constexpr auto operator<=>(const Mac&) const = default;
};

// Reads every common form: "00:11:22:33:44:55", "00-11-22-33-44-55", "0011.2233.4455",
// "001122334455" (any case, blanks around it ignored). The error names what is wrong.
Parsed<Mac> parseMac(std::string_view text);
// The one form written everywhere: lower-case hex pairs joined by ':'.
std::string formatMac(const Mac& mac);

// A DHCP unique identifier (RFC 8415 section 11): 3 to 130 bytes.
using Duid = std::vector<std::uint8_t>;
// Hex pairs, joined by ':' or '-' or not at all; the error names what is wrong.
Parsed<Duid> parseDuid(std::string_view text);
std::string formatDuid(const Duid& duid);  // lower-case hex pairs joined by ':'

// The modified EUI-64 interface ID of a MAC: ff:fe in the middle, the universal/local bit
// inverted (RFC 4291 appendix A).
std::uint64_t eui64InterfaceId(const Mac& mac);
// The address of that interface ID in an IPv6 prefix of length 64 or shorter (the
// interface ID takes the low 64 bits); the error says why there is none.
Parsed<Address> eui64Address(const Prefix& prefix, const Mac& mac);

// fd00::/8 with the 40-bit global ID (only its low 40 bits are used): the /48 of RFC 4193
// section 3.2.
Prefix ulaPrefix(std::uint64_t globalId);
// A 40-bit global ID from the system's cryptographic random source; never a fixed or
// well-known number. On Linux std::random_device (libstdc++ and libc++ alike) draws from
// the kernel's CSPRNG (getrandom(2) or /dev/urandom, or the CPU's RDRAND/RDSEED), never
// from a seeded pseudo-random engine, so the ID is as unpredictable as RFC 4193 asks.
std::uint64_t randomUlaGlobalId();

}  // namespace mq::net
