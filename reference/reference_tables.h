// The reference lists shown by the Common Lists window: MAC vendor codes, TCP/UDP
// port numbers and common multicast addresses, as constant data in display order.
#pragma once

#include <array>
#include <string_view>

namespace mq::reference {

// One grid row: column 0 is the key (code, port or address), column 1 its description.
struct Row {
    std::string_view key;
    std::string_view description;
};

extern const std::array<Row, 115> kMacVendorCodes;
extern const std::array<Row, 237> kPortNumbers;
extern const std::array<Row, 30> kMulticastAddresses;

}  // namespace mq::reference
