// The calculator's program-wide state: created empty at start, it lives until the
// program ends, also while the calculator window is closed. Flags are "y"/"n".
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace mq {

struct CalculatorState {
    // Address entry and binary display.
    std::string classLetter;
    std::string subnetZero;  // "y" / "n"
    std::string keepResults;  // "y" / "n"
    std::array<std::string, 4> octetBits;
    std::array<std::string, 4> octetValue;
    // Subnet options.
    int subnetFieldLength = 0;
    int hostFieldStart = 0;
    int chosenRow = -1;
    // Calculation.
    std::string addressStatus;
    // Subnet numbering and range listing.
    int networkFieldLength = 0;
    std::string subnetNumber;
    double requestedSubnet = 0;
    int classBitCount = 0;
    int subnetBitCount = 0;
    int hostBitCount = 0;
    std::array<std::string, 5> classOctets;
    std::array<double, 25> powerOfTwo{};
    std::array<std::string, 5> rangeBits;
    std::string rangeFirst, rangeLast, rangeBroadcast, rangeSubnet;
    std::array<std::string, 5> selectedOctets;
    std::array<int, 4> gridSelection{};  // Row, Col, RowSel, ColSel at the last mouse-up
    std::int32_t listNumber = 0;
};

}  // namespace mq
