#pragma once
// phpIPAM's subnet import CSV (Administration > Import / Export > Import subnets): the
// columns Section, Subnet, Mask, Description, VLAN, Domain, VRF (Customer, which its import
// does not read, is left out). phpIPAM reads the file a line at a time, so no field may
// hold a line break, and it refuses a description holding ; ' or " once htmlentities has
// made entities of & < > and most non-ASCII letters ("R&D" becomes "R&amp;D").
#include "interchange/blocks.h"
#include "interchange/records.h"

namespace mq::interchange {

// One row per block handedToIpam gives (free leaves only when asked for): Subnet as
// network/length and Mask as the length, Description the name (the note's text when there
// is no name), VLAN the ID, VRF the block's own or else the plan's, Section and Domain from
// the plan's values. Refused without a section, which phpIPAM requires, and for a VRF or
// domain its import refuses on every row. Line breaks in a description become blanks; a
// description phpIPAM would refuse is written as it is and named in a notice, as is a
// customer that is not written.
WriteResult writePhpipamCsv(const std::vector<FlatBlock>& blocks, const plan::IpamValues& values,
                            const ExportOptions& options = {});

// Reads such a file, or phpIPAM's own export (its "VLAN Domain" column is the domain):
// columns by header name (any case), Subnet required; the mask may stand in the Subnet
// column after '/', or in Mask as a length or a dotted mask. Separated by commas, or by
// semicolons when the header holds no comma. Every block read is assigned; its VLAN is kept
// when it is a number (phpIPAM also takes VLAN names: those are named in a notice).
// Section, Domain and Customer of the first row that has them become the plan's values;
// a VRF too where every row has the same, else each block keeps its own.
ReadResult readPhpipamCsv(std::string_view text);
// The same table from wherever its records come (a sheet of a workbook).
ReadResult readPhpipamTable(const RecordSource& source);

}  // namespace mq::interchange
