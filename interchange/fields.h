#pragma once
// Field conversions shared by the interchange readers and writers.
#include <optional>
#include <string>
#include <string_view>

#include "interchange/blocks.h"

namespace mq::interchange {

// The text on one line: each run of line breaks and tabs becomes one space.
std::string oneLine(std::string_view text);
// A prefix in network/length form; host bits are cleared (*cleared tells). Empty error on success.
std::string parsePrefixField(std::string_view text, net::Prefix& out, bool* cleared = nullptr);
// A text as a block's name: control characters become blanks, and text beyond the name's
// limit is cut at a character boundary (*cut tells, so the caller can keep the whole as a note).
std::string asName(std::string_view text, bool* cut);
// A tenant, role or VRF that every block read shares becomes the file's plan-wide value;
// where blocks differ, each keeps its own (FlatBlock::ipam).
void shareCommonValues(ReadResult& r);
// The delimiter of an IPAM's export (NetBox's csv_delimiter preference: comma, semicolon,
// tab or pipe), found in the header line as NetBox's own import guesses it.
char csvDelimiterOf(std::string_view text);

}  // namespace mq::interchange
