#pragma once
// NetBox's prefix import CSV (IPAM > Prefixes > Import): the columns its import form takes,
// by header name: prefix, status (container, active, reserved, deprecated), description,
// vlan (the VLAN ID, narrowed by vlan_group and vlan_site), tenant, role, vrf (names of
// existing objects), is_pool, comments and tags (slugs, comma separated in one quoted field).
#include "interchange/blocks.h"
#include "interchange/records.h"

namespace mq::interchange {

// Header "prefix,status,description,vlan,tenant,role,vrf,is_pool,comments,tags" (then
// ",vlan_group,vlan_site" when either is given), then one row per block handedToIpam
// gives: a split block as container, an assigned one as active, a reserved one as reserved
// (deprecated where the IPAM said so), a root as container, a free leaf (only when asked
// for) as reserved, being kept for later use. description is the block's name, comments
// its note; tenant, role and vrf the block's own or else the plan's; is_pool the block's;
// tags from the plan's values, refused (the whole file) when one is not a slug. A notice
// tells when VLANs are written without a VLAN group or site. CR LF line ends, RFC 4180.
WriteResult writeNetboxCsv(const std::vector<FlatBlock>& blocks, const plan::IpamValues& values,
                           const ExportOptions& options = {});

// Reads such a CSV, or NetBox's own export of its prefix list: separated by commas,
// semicolons, tabs or pipes (its csv_delimiter preference), columns found by header name
// (any case); only prefix is required; a VLAN may also be written "Staff (110)" and no VRF
// "Global", as NetBox's export names them. Every row becomes a block with its line; a row
// whose prefix, VLAN, status or is_pool is not understood is named in a notice (a bad
// prefix leaves the row out; a bad value leaves only that value out). Line breaks in
// comments are kept as LF. Tenant, role and VRF that every row shares become the plan's
// values; where rows differ each block keeps its own (FlatBlock::ipam), with is_pool and
// a container or deprecated status. The tags (slugs only), vlan_group and vlan_site of the
// first row that has them.
ReadResult readNetboxCsv(std::string_view text);
// The same table from wherever its records come (a sheet of a workbook).
ReadResult readNetboxTable(const RecordSource& source);

}  // namespace mq::interchange
