#pragma once
// NetBox's prefix import CSV (IPAM > Prefixes > Import): the columns its import form takes,
// by header name: prefix, status (container, active, reserved, deprecated), description,
// vlan (the VLAN ID), tenant, role, vrf (names of existing objects), is_pool, comments and
// tags (slugs, comma separated in one quoted field).
#include "interchange/blocks.h"

namespace mq::interchange {

// Header "prefix,status,description,vlan,tenant,role,vrf,is_pool,comments,tags", then one
// row per block: a split block as container, an assigned one as active, a reserved one as
// reserved, a free leaf (only when asked for) as reserved too, being kept for later use.
// description is the block's name, comments its note; tenant, role, vrf and tags come from
// the plan's values. CR LF line ends, RFC 4180 quoting.
WriteResult writeNetboxCsv(const std::vector<ExportBlock>& blocks, const PlanValues& values,
                           const ExportOptions& options = {});

// Reads such a CSV, or NetBox's own export of its prefix list: columns found by header name
// (any case); only prefix is required; a VLAN may also be written "Staff (110)", as NetBox's
// export names it. Every row becomes a block with its line; a row whose
// prefix, VLAN or status is not understood is named in a notice (a bad prefix leaves the row
// out; a bad VLAN or status leaves only that value out). tenant, role, vrf and tags of the
// first row that has them become the plan's values.
ReadResult readNetboxCsv(std::string_view text);

}  // namespace mq::interchange
