#pragma once
// What lies inside a plan's subnets (gateways, kept addresses, DHCP ranges and hosts) out to
// other tools and back in: a per-subnet CSV, the hosts CSV, NetBox's IP-address and IP-range
// CSV, phpIPAM's IP-address CSV and /etc/hosts. The planner and mqnet call the same
// functions: a file is read into rows (readHostFile), the rows are checked against the plan
// (checkHostImport), and what can be placed goes in as one undoable change (makeHostImport).
//
// How each format carries what it has no column for, so that our own files read back whole:
// - NetBox: the host's name is dns_name, its note the description; the MAC and DUID are
//   lines "MAC: ..." and "DUID: ..." of comments; a role other than "other" is a tag
//   "role-NAME" (tags are looked up by slug, so NetBox must have them: the export names
//   them). NetBox's own roles vrrp, hsrp, glbp, carp and vip read as the gateway role; no
//   role of ours means the same as one of NetBox's, so none is written. Status reserved is
//   the reserved role (and a kept address), dhcp a host with a MAC or DUID in a block that
//   has DHCP ranges (a reservation), active everything else. A deprecated address or range
//   is no longer in use: left out, so that no retired range becomes a pool.
// - phpIPAM: hostname, description (our note), mac, is_gateway (the block's gateway and
//   hosts of the gateway role), tag Reserved for the reserved role and kept addresses (else
//   Used); a role other than other, reserved and gateway, and a DUID, go into phpIPAM's note
//   as "role=NAME" and "duid=HEX" words (phpIPAM reads a line at a time and refuses ; ' ").
// - /etc/hosts: "ADDRESS<TAB>NAME", one line per address (a dual-stack host has two). On
//   reading, the first name after the address is the host; further names (aliases) are left
//   out with a note.
// An address row without a host name (the gateway and kept addresses an export writes) is
// taken as the block's own when the block already has it there, and refused otherwise.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "interchange/blocks.h"
#include "interchange/records.h"
#include "plan/plan.h"
#include "plan/subnet.h"
#include "textio/csv.h"
#include "textio/lines.h"

namespace mq::plan {
class Command;
}

namespace mq::interchange {

// ---- out

enum class HostExport : std::uint8_t {
    Subnets,  // one row per assigned block: its layout and counts
    Hosts,  // the hosts CSV, which readHostFile(HostFormat::Csv) reads back
    NetboxAddresses,  // NetBox IP-address import CSV: hosts, gateways, kept addresses
    NetboxRanges,  // NetBox IP-range import CSV: the DHCP ranges
    PhpipamAddresses,  // phpIPAM IP-address import CSV
    EtcHosts,  // /etc/hosts lines
};
// "subnets", "hosts", "netbox-ip", "netbox-ranges", "phpipam-ip", "etc-hosts"; nullopt else.
std::optional<HostExport> parseHostExport(std::string_view key);
const char* hostExportKey(HostExport what);

// The export as text. values: the plan's IPAM values (tenant, VRF, tags for NetBox; the
// section and VRF for phpIPAM), as the prefix exports take them. reader: for the subnets and
// hosts CSV (CR LF either way); the IPAM files are always written for a program (values as
// typed; hostFormulaCells names those a spreadsheet would run). Refused (error) where the
// IPAM's import would refuse every row: a tag that is no slug, phpIPAM without a section.
WriteResult exportHosts(const plan::Plan& plan, HostExport what, const plan::IpamValues& values,
                        textio::CsvReader reader = textio::CsvReader::Spreadsheet);

// The hosts' names and notes that the IPAM files write as typed although a spreadsheet
// would read them as formulas: "host =x: a spreadsheet would read the note ..." lines.
std::vector<std::string> hostFormulaWarnings(const plan::Plan& plan);

// ---- in

enum class HostFormat : std::uint8_t {
    Csv,  // the hosts CSV: columns by header name (name, ipv4, ipv6, mac, duid, role, note)
    Netbox,  // NetBox's IP-address export or import CSV, or its IP-range one (told by the header)
    Phpipam,  // phpIPAM's IP-address export or import CSV
    EtcHosts,  // /etc/hosts
};
// "csv", "netbox", "phpipam", "hosts"; nullopt for anything else.
std::optional<HostFormat> parseHostFormat(std::string_view key);

struct HostRow {
    std::size_t line = 0;
    plan::Host host;
    int length = -1;  // the prefix length the file gave the address ("10.40.1.5/24"); -1 without
};
struct RangeRow {
    std::size_t line = 0;
    plan::AddressRange range;
};
// An address without a host name: placed only where the block has it already (its gateway
// or a kept address); `gateway` when the file marks it as the gateway.
struct BareAddressRow {
    std::size_t line = 0;
    net::Address address;
    bool gateway = false;
    int length = -1;  // as HostRow's
};

struct HostRead {
    std::vector<HostRow> hosts;  // in file order
    std::vector<RangeRow> ranges;
    std::vector<BareAddressRow> bare;
    std::vector<textio::Problem> refused;  // rows not taken, each with its reason
    std::vector<textio::Problem> notes;  // rows taken with a change (aliases left out, ...)
    std::string error;  // the file as a whole cannot be read: nothing is taken
};
// Reads a file of the format. Memory stays proportional to the rows taken, however the
// file is laid out; rows past plan::kMaxHosts are refused.
HostRead readHostFile(HostFormat format, std::string_view text);
// The same for a table from wherever its records come (a sheet of a workbook): every format
// but EtcHosts, which is refused.
HostRead readHostTable(HostFormat format, const RecordSource& source);

// What of a file can go into the plan. Hosts go into the assigned blocks that hold their
// addresses; a host with the name of one already in the plan (or earlier in the file) and
// only the other family's address is merged into it (one dual-stack host). Ranges become
// explicit ranges of the block that holds both their ends. Refused, each with its line:
// an address in no assigned block, on its block's network or broadcast address, on its
// gateway or a kept address, inside a range, or already another host's; a name, MAC or
// DUID already another host's; a range overlapping the block's ranges, gateway, kept
// addresses or hosts. Nothing is placed from a refused row. A name given whole inside the
// plan's domain is kept relative to it ("h34" of h34.campus.example); one with a dot outside
// it is kept as it is, and so is an address whose length is not its block's: each with a note.
struct HostImport {
    std::vector<plan::Host> added;  // new hosts, in file order
    std::vector<std::pair<std::size_t, plan::Host>> merged;  // (index into plan.hosts(), the host as merged)
    std::vector<std::pair<plan::BlockId, plan::SubnetLayout>> layouts;  // blocks whose ranges change
    std::vector<textio::Problem> refused;  // the reader's and these, in line order
    std::vector<textio::Problem> notes;  // the reader's notes
    std::size_t hostRows = 0, rangeRows = 0;  // rows placed
    bool empty() const { return added.empty() && merged.empty() && layouts.empty(); }
};
HostImport checkHostImport(const plan::Plan& plan, const HostRead& read);

// Places what checkHostImport accepted as one undoable step ("Import 12 hosts and 2
// ranges"): the new hosts, the merged ones and the blocks' ranges. Fails, changing
// nothing, when there is nothing to place or the plan changed so that a part is refused.
std::unique_ptr<plan::Command> makeHostImport(HostImport import);

}  // namespace mq::interchange
