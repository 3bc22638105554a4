// The results reports that Save writes and Print prints, composed line by line
// from the texts the calculator and VLSM windows display. Nothing here is
// recomputed: the reports show what the user sees.
#pragma once

#include "core/helpers.h"

#include "core/controls.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace mq {

class FrmdocModel;
class Form10Model;

// The report banner (reportBanner) is shared with the address range window and lives in core/helpers.h.

// What the calculator report reads from the calculator window.
struct CalculatorReportInput {
    std::array<std::string, 4> octets;  // Text3(0..3), as typed
    std::array<std::string, 4> choices;  // Combo1(0..3): bits, mask, subnets, hosts
    std::string addressClass;  // Text1
    std::array<std::string, 7> panels;  // SSPanel6(0..6)
    Grid grid;  // MSFlexGrid1: headings in row 0, up to 50 subnets below
};

// The texts the calculator window currently shows.
CalculatorReportInput calculatorReportInput(const FrmdocModel& window);

// The VLSM window's results list, line by line.
std::vector<std::string> vlsmReportInput(const Form10Model& window);

// No subnet-bits choice means there are no results yet.
bool hasResults(const CalculatorReportInput& in);
bool hasResults(const std::vector<std::string>& vlsmLines);

// One printed line and the font it is printed in.
struct PrintLine {
    std::string text;  // may hold TABs between grid columns
    double pointSize = 10;
    bool bold = false;
    bool italic = false;
    bool fixedPitch = false;  // a fixed-pitch face without ligatures (addresses, listings)
    friend bool operator==(const PrintLine&, const PrintLine&) = default;
};

// Grid cell index of row r, column c for a grid of the given width.
int Fgi(int row, int col, int cols);

std::vector<std::string> calculatorFileLines(const CalculatorReportInput& in);
std::vector<PrintLine> calculatorPrintLines(const CalculatorReportInput& in);
// vlsmLines: the items of the VLSM window's results list, in order.
std::vector<std::string> vlsmFileLines(const std::vector<std::string>& vlsmLines);
std::vector<PrintLine> vlsmPrintLines(const std::vector<std::string>& vlsmLines);

// The bytes of a text file: every line ends with CR LF, whatever the platform.
std::string crlfText(const std::vector<std::string>& lines);

}  // namespace mq
