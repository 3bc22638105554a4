// Subnet numbering and ranges: the subnet number, the address range of subnet
// N, the moves between subnets, the fifty-row grid and its copy, and the
// opening of the address range window.
#include "core/frmdoc_model.h"

#include "core/subnet_options.h"

#include <algorithm>
#include <cmath>

namespace mq {

namespace {

constexpr const char* kLf = "\n";
constexpr const char* kCr = "\r";

}  // namespace

void FrmdocModel::calcsubnum()
{
    const std::string& c = st.classLetter;
    if (c == "A")
        st.networkFieldLength = 10;
    else if (c == "B")
        st.networkFieldLength = 20;
    else if (c == "C")
        st.networkFieldLength = 30;
    else
        return;
    double x = leadingNumber(Combo1[0].text);
    if (x == 0) {
        Text2.text = "1";
        return;
    }
    bool inRange = c == "A" ? (x >= 1 && x <= 22) : c == "B" ? (x >= 1 && x <= 14) : true;
    if (!inRange)
        return;
    subbincalc(classNetworkBits(c) / 8);
    Text2.text = trim(st.subnetNumber);
}

void FrmdocModel::subbincalc(int /*k*/)
{
    const int S = st.subnetFieldLength;
    std::string field = trim(mid(RichTextBox1.text(), st.networkFieldLength, S + 1));
    std::string bits;
    for (std::size_t i = 0; i < field.size(); ++i) {
        std::size_t pos = i + 1;
        if (pos == 9 || pos == 10 || pos == 19 || pos == 20 || pos == 29 || pos == 30)
            continue;
        bits += field[i];
    }
    int n = S < 11 ? S : S < 21 ? S - 2 : S < 31 ? S - 4 : 0;
    double number = 0;
    for (int j = 1; j <= n; ++j)
        if (static_cast<std::size_t>(j) <= bits.size() && bits[static_cast<std::size_t>(j - 1)] == '1')
            number += std::ldexp(1.0, n - j);
    st.subnetNumber = signText(number);
}

void FrmdocModel::selsub1()
{
    const std::string& c = st.classLetter;
    int k = classNetworkBits(c) / 8;
    if (k) {
        for (int i = 0; i < k; ++i)
            st.classOctets[static_cast<std::size_t>(i)] = numField(i);
        st.classBitCount = 8 * k;
    }
    double b = leadingNumber(Combo1[0].text);
    st.subnetBitCount = static_cast<int>(std::clamp(b, 0.0, 32.0));
    st.hostBitCount = 32 - (st.subnetBitCount + st.classBitCount);
}

void FrmdocModel::selsub2()
{
    for (int i = 0; i <= 23; ++i)
        st.powerOfTwo[static_cast<std::size_t>(i)] = std::ldexp(1.0, i);
    for (int i = 0; i < 4; ++i)
        st.rangeBits[static_cast<std::size_t>(i)].clear();
    double n = st.requestedSubnet;
    for (int i = st.subnetBitCount; i >= 1; --i) {
        double p = std::ldexp(1.0, i - 1);
        if (n >= p) {
            for (int j = 0; j < 4; ++j)
                st.rangeBits[static_cast<std::size_t>(j)] += '1';
            n -= p;
        } else {
            for (int j = 0; j < 4; ++j)
                st.rangeBits[static_cast<std::size_t>(j)] += '0';
        }
    }
    st.requestedSubnet = n;
    const int h = st.hostBitCount;
    if (h >= 1) {
        st.rangeBits[0] += std::string(static_cast<std::size_t>(h - 1), '0') + "1";
        st.rangeBits[1] += std::string(static_cast<std::size_t>(h - 1), '1') + "0";
        st.rangeBits[2] += std::string(static_cast<std::size_t>(h), '1');
        st.rangeBits[3] += std::string(static_cast<std::size_t>(h), '0');
    }
}

void FrmdocModel::selsub3()
{
    const std::string& c = st.classLetter;
    int k = classNetworkBits(c) / 8;
    if (!k)
        return;
    std::string* targets[4] = {&st.rangeFirst, &st.rangeLast, &st.rangeBroadcast, &st.rangeSubnet};
    for (int i = 0; i < 4; ++i) {
        const std::string& bits = st.rangeBits[static_cast<std::size_t>(i)];
        std::string address;
        for (int q = 0; q < 4; ++q) {
            if (q)
                address += '.';
            if (q < k) {
                address += st.classOctets[static_cast<std::size_t>(q)];
            } else {
                auto& octet = rangeOctetBits[static_cast<std::size_t>(q)];
                octet = mid(bits, 1 + 8 * (q - k), 8);
                address += std::to_string(octetBitsValue(octet, 8, false));
            }
        }
        *targets[i] = address;
        if (i == 0) {
            std::size_t from = 0;
            for (int q = 0; q < 4; ++q) {
                std::size_t dot = address.find('.', from);
                st.selectedOctets[static_cast<std::size_t>(q)] =
                    address.substr(from, dot == std::string::npos ? std::string::npos : dot - from);
                from = dot == std::string::npos ? address.size() : dot + 1;
            }
        }
    }
}

int FrmdocModel::Fgi(int row, int col) const
{
    long index = static_cast<long>(row) * MSFlexGrid1.cols + col;
    return static_cast<int>(std::clamp<long>(index, -32768, 32767));
}

// ---------------------------------------------------------------- moving between subnets

void FrmdocModel::selectSubnet()
{
    st.requestedSubnet = leadingNumber(Text2.text);
    selsub1();
    selsub2();
    selsub3();
    st.keepResults = "y";
    for (int i = 0; i < 4; ++i) {
        if (i == 3)
            st.keepResults = "n";
        setText3(i, "");
        setText3(i, st.selectedOctets[static_cast<std::size_t>(i)]);
    }
    for (auto& c : Combo1)
        c.setText(c.item(st.chosenRow));
    combo1change();
}

void FrmdocModel::SSCommand2_Click()
{
    const std::string countText = Combo1[2].text;
    if (countText.empty() || octetRejected())
        return;
    const double count = leadingNumber(countText);
    const std::string upTo = "Please enter a number up to " + signText(count);
    for (;;) {
        std::string answer =
            sv.inputBox("Enter a subnet number between 1 and " + signText(count), "Request a Subnet Number", "1");
        if (answer.empty())
            return;
        double v = leadingNumber(answer);
        // Only whole, non-negative numbers name a subnet.
        if (!isNumber(answer) || v < 0 || v != std::floor(v)) {
            message("Please enter a number", MsgIcon::Critical, "Input Error");
            continue;
        }
        if (v == 0 && st.subnetZero != "y") {
            message(std::string("Subnet zero not enabled") + kLf + kCr + upTo, MsgIcon::Exclamation, "Warning");
            continue;
        }
        if (v > count) {
            message(std::string("Subnet number entered too high ") + kLf + kCr + upTo, MsgIcon::Exclamation, "Warning");
            continue;
        }
        Text2.text = trim(answer);
        selectSubnet();
        return;
    }
}

void FrmdocModel::SSCommand4_Click()
{
    if (Text2.text.empty() || octetRejected())
        return;
    double v = leadingNumber(Text2.text) - 1;
    if (v < 0)
        return;
    Text2.text = signText(v);
    selectSubnet();
}

void FrmdocModel::SSCommand6_Click()
{
    if (Text2.text.empty() || octetRejected())
        return;
    double v = leadingNumber(Text2.text) + 1;
    if (v > leadingNumber(Combo1[2].text))
        return;
    Text2.text = signText(v);
    selectSubnet();
}

void FrmdocModel::SSCommand1_Click()
{
    if (octetRejected())
        return;  // the grid keeps its last listing
    for (int r = 1; r <= 50; ++r)
        for (int c = 0; c < 5; ++c)
            MSFlexGrid1.setTextArray(Fgi(r, c), "");
    if (SSPanel6[0].caption.empty())
        return;
    if (leadingNumber(Combo1[2].text) < leadingNumber(Text2.text)) {
        message("Cannot display output as chosen subnet is outside range", MsgIcon::Exclamation, "Warning");
        return;
    }
    st.listNumber = static_cast<std::int32_t>(std::nearbyint(leadingNumber(Text2.text)));
    int listRow = 1;
    while (listRow <= 50) {
        st.requestedSubnet = st.listNumber;
        selsub1();
        selsub2();
        const double lastSubnet = std::ldexp(1.0, st.subnetBitCount) - 1;
        // Never list a number past the mask's last subnet.
        if (st.listNumber > lastSubnet)
            break;
        MSFlexGrid1.setTextArray(Fgi(listRow, 0), std::to_string(st.listNumber));
        selsub3();
        MSFlexGrid1.setTextArray(Fgi(listRow, 1), st.rangeSubnet);
        MSFlexGrid1.setTextArray(Fgi(listRow, 2), st.rangeFirst);
        MSFlexGrid1.setTextArray(Fgi(listRow, 3), st.rangeLast);
        MSFlexGrid1.setTextArray(Fgi(listRow, 4), st.rangeBroadcast);
        if (st.listNumber == lastSubnet - 1 || st.listNumber >= lastSubnet)
            break;
        ++st.listNumber;
        ++listRow;
    }
}

void FrmdocModel::MSFlexGrid1_Click() { }

void FrmdocModel::MSFlexGrid1_MouseUp()
{
    st.gridSelection = {MSFlexGrid1.row, MSFlexGrid1.col, MSFlexGrid1.rowSel, MSFlexGrid1.colSel};
}

void FrmdocModel::SSCommand3_Click()
{
    const auto& g = st.gridSelection;
    int r1 = std::min(g[0], g[2]), r2 = std::max(g[0], g[2]);
    int c1 = std::min(g[1], g[3]), c2 = std::max(g[1], g[3]);
    std::string text;
    for (int r = r1; r <= r2; ++r) {
        for (int c = c1; c <= c2; ++c)
            text += MSFlexGrid1.textMatrix(r, c) + "   ";
        text += kCr;
    }
    sv.setClipboardText(text);
}

void FrmdocModel::SSCommand5_Click()
{
    if (SSPanel6[0].caption.empty())
        return;
    if (showAddressRange)
        showAddressRange();
}

}  // namespace mq
