#include "reports/results_report.h"

#include "core/frmdoc_model.h"
#include "vlsm/form10_model.h"

namespace mq {

namespace {

constexpr int kMaxGridRows = 50;
constexpr int kGridColumns = 5;
constexpr const char* kGridHeading = "Subnet\tSubnet Address\tStart Address\tEnd Address\tBroadcast Address";

std::string hostAddressLine(const CalculatorReportInput& in)
{
    return "TCP/IP Host Address chosen: " + in.octets[0] + "." + in.octets[1] + "." + in.octets[2] + "." + in.octets[3];
}

const std::string& cell(const CalculatorReportInput& in, int row, int col)
{
    return in.grid.textArray(Fgi(row, col, in.grid.cols));
}

// The grid part shared by file and printout: heading and empty line when
// there is a first row, then the rows down to the first empty subnet number.
std::vector<std::string> gridLines(const CalculatorReportInput& in)
{
    std::vector<std::string> lines;
    if (cell(in, 1, 0).empty())
        return lines;
    lines.push_back(kGridHeading);
    lines.emplace_back();
    for (int r = 1; r <= kMaxGridRows && r < in.grid.rows; ++r) {
        if (cell(in, r, 0).empty())
            break;
        std::string row = cell(in, r, 0);
        for (int c = 1; c < kGridColumns; ++c)
            row += "\t" + cell(in, r, c);
        lines.push_back(std::move(row));
    }
    return lines;
}

}  // namespace

CalculatorReportInput calculatorReportInput(const FrmdocModel& window)
{
    CalculatorReportInput in;
    for (std::size_t k = 0; k < 4; ++k) {
        in.octets[k] = window.Text3[k].text;
        in.choices[k] = window.Combo1[k].text;
    }
    in.addressClass = window.Text1.text;
    for (std::size_t k = 0; k < 7; ++k)
        in.panels[k] = window.SSPanel6[k].caption;
    in.grid = window.MSFlexGrid1;
    return in;
}

std::vector<std::string> vlsmReportInput(const Form10Model& window)
{
    return window.List1.items;
}

bool hasResults(const CalculatorReportInput& in)
{
    return !in.choices[0].empty();
}

bool hasResults(const std::vector<std::string>& vlsmLines)
{
    return !vlsmLines.empty();
}

int Fgi(int row, int col, int cols)
{
    return row * cols + col;
}

std::vector<std::string> calculatorFileLines(const CalculatorReportInput& in)
{
    const auto& c = in.choices;
    const auto& p = in.panels;
    std::vector<std::string> lines{
        reportBanner(1),
        "",
        "",
        hostAddressLine(in),
        "",
        "Results of Subnet Calculation",
        "",
        "Number of Subnet Bits: " + c[0],
        "Subnet Mask: " + c[1],
        "Number of Subnets with above mask: " + c[2],
        "Number of Hosts per subnet with above mask: " + c[3],
        "",
        "Class of Address: " + in.addressClass,
        "Network address: " + p[3],
        "Subnet address: " + p[4],
        "Host address: " + p[5],
        "Number of Hosts Wasted: " + p[6],
        "Subnet Range starting address: " + p[0],
        "Subnet Range ending address: " + p[1],
        "Subnet Range broadcast address: " + p[2],
        "",
        "Subnet Range for calculated subnet mask is as follows:",
        "",
    };
    for (auto& l : gridLines(in))
        lines.push_back(std::move(l));
    return lines;
}

std::vector<PrintLine> calculatorPrintLines(const CalculatorReportInput& in)
{
    const auto& c = in.choices;
    const auto& p = in.panels;
    auto regular = [](std::string t) { return PrintLine{std::move(t), 10, false, false}; };
    auto italic = [](std::string t) { return PrintLine{std::move(t), 10, false, true}; };
    std::vector<PrintLine> lines{
        {reportBanner(1), 12, true, false},
        {"", 12, true, false},
        {"", 12, true, false},
        regular(hostAddressLine(in)),
        regular(""),
        regular("Class of Address: " + in.addressClass),
        regular(""),
        italic("Results of Subnet Calculation"),
        regular(""),
        regular("Number of Subnet Bits: " + c[0]),
        regular("Subnet Mask: " + c[1]),
        regular("Number of Subnets with above mask: " + c[2]),
        regular("Number of Hosts per subnet with above mask: " + c[3]),
        regular("Network address: " + p[3]),
        regular("Subnet address: " + p[4]),
        regular("Subnet Range starting address: " + p[0]),
        regular("Subnet Range ending address: " + p[1]),
        regular("Subnet Range broadcast address: " + p[2]),
        regular(""),
        italic("Subnet Range for calculated subnet mask is as follows:"),
        regular(""),
    };
    for (auto& l : gridLines(in))
        lines.push_back({std::move(l), 8, false, false});
    return lines;
}

std::vector<std::string> vlsmFileLines(const std::vector<std::string>& vlsmLines)
{
    std::vector<std::string> lines{
        reportBanner(2),
        "",
        "Results of Class C VLSM Quill",
        "",
        "Suggested VLSM for the following subnets entered are:",
        "",
    };
    lines.insert(lines.end(), vlsmLines.begin(), vlsmLines.end());
    for (const char* l : {"", "N.B. The VLSM details calculated are suggested figures only", "", ""})
        lines.emplace_back(l);
    return lines;
}

std::vector<PrintLine> vlsmPrintLines(const std::vector<std::string>& vlsmLines)
{
    std::vector<PrintLine> lines{
        {reportBanner(2), 12, true, false},
        {"", 12, false, false},
        {"", 12, false, false},
        {"Results of Class C VLSM Quill are:", 10, false, true},
        {"", 10, false, false},
    };
    for (const auto& item : vlsmLines)
        lines.push_back({item, 10, false, false});
    return lines;
}

std::string crlfText(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& l : lines) {
        text += l;
        text += "\r\n";
    }
    return text;
}

}  // namespace mq
