#include "core/frmdoc_model.h"

#include "core/subnet_options.h"

#include <algorithm>
#include <cmath>

namespace mq {

namespace {

constexpr const char* kLf = "\n";
constexpr const char* kCr = "\r";

// Value of the first n digits of an 8-digit bit text; with fillOnes the
// remaining 8 - n bits count as ones.
int octetBitsValue(const std::string& bits, int n, bool fillOnes)
{
    int total = 0;
    for (int j = 1; j <= 8; ++j) {
        int weight = 1 << (8 - j);
        if (j <= n) {
            if (static_cast<std::size_t>(j) <= bits.size() && bits[static_cast<std::size_t>(j - 1)] == '1')
                total += weight;
        } else if (fillOnes) {
            total += weight;
        }
    }
    return total;
}

std::string classLetterOf(double v)
{
    if (v < 128)
        return "A";
    if (v < 192)
        return "B";
    if (v < 224)
        return "C";
    if (v < 240)
        return "D";
    return "E";
}

Colour classColour(const std::string& letter)
{
    if (letter == "A")
        return colour::Red;
    if (letter == "B")
        return colour::Blue;
    if (letter == "C")
        return colour::Olive;
    return colour::Purple;
}

// Counts the zeros and ones of a display field; a blank counts as both.
void countBits(const std::string& field, int& zeros, int& ones)
{
    zeros = ones = 0;
    for (char c : field) {
        if (c == '0' || c == ' ')
            ++zeros;
        if (c == '1' || c == ' ')
            ++ones;
    }
}

}  // namespace

FrmdocModel::FrmdocModel(CalculatorState& state, Services& services) : st(state), sv(services)
{
    for (auto& t : Text3) {
        t.maxLength = 3;
        t.foreColor = colour::Blue;
    }
    Text2.maxLength = 7;
    SSPanel1.foreColor = colour::Red;
}

void FrmdocModel::message(const std::string& text, MsgIcon icon, const std::string& title)
{
    sv.msgBox(text, icon, title);
}

double FrmdocModel::octetField(int k) const
{
    return leadingNumber(Text3[static_cast<std::size_t>(k)].text);
}

std::string FrmdocModel::numField(int k) const
{
    return plainNumber(octetField(k));
}

bool FrmdocModel::allOctetsFilled() const
{
    return std::all_of(Text3.begin(), Text3.end(), [](const TextBox& t) { return !t.text.empty(); });
}

void FrmdocModel::setText3(int index, const std::string& text)
{
    if (index < 0 || index > 3)
        return;
    Text3[static_cast<std::size_t>(index)].text = text;
    Text3_Change(index);
}

void FrmdocModel::setText1(const std::string& text)
{
    Text1.text = text;
    Text1_Change();
}

// ---------------------------------------------------------------- window events

void FrmdocModel::Form_Load()
{
    Form_Resize();
    static const char* headings[] = {"Subnet ", "Subnet Address", "Starting Address", "Ending Address",
                                     "Broadcast Address"};
    for (int c = 0; c < 5; ++c) {
        MSFlexGrid1.setTextArray(Fgi(0, c), headings[c]);
        MSFlexGrid1.colWidth[static_cast<std::size_t>(c)] = c == 0 ? 1000 : 1750;
        MSFlexGrid1.colAlignment[static_cast<std::size_t>(c)] = 1;
    }
}

void FrmdocModel::Form_Resize()
{
    // Every control keeps its place and size.
}

void FrmdocModel::Text1_Change()
{
    clearf();
    fillcombo();
}

void FrmdocModel::Text3_KeyPress(int /*Index*/, int& KeyAscii)
{
    if (KeyAscii == '.') {
        KeyAscii = 0;
        sv.sendTab();
    }
    if (!(KeyAscii >= '0' && KeyAscii <= '9') && KeyAscii != 8) {
        KeyAscii = 0;
        sv.beep();
    }
}

void FrmdocModel::Text3_Change(int Index)
{
    if (Index < 0 || Index > 3)
        return;
    if (Index == 0 && octetField(0) > 255) {
        message("Address MUST start between 1 and 223", MsgIcon::None, kProgramTitle);
        sv.setFocus("Text3(0)");
        disinput();
        return;
    }
    if (allOctetsFilled())
        eninput();
    else
        disinput();
    if (st.keepResults == "y")
        return;

    RichTextBox1.clear();
    clearf();
    for (auto& c : Combo1)
        c.setText("");
    for (int k = 0; k < 4; ++k) {
        st.octetBits[static_cast<std::size_t>(k)].clear();
        st.octetValue[static_cast<std::size_t>(k)].clear();
    }

    if (Index == 0) {
        std::string letter = classLetterOf(octetField(0));
        st.classLetter = letter;
        setText1(letter);
        Text1.foreColor = classColour(letter);
    } else if (octetField(Index) > 255) {
        message("Invalid entry", MsgIcon::None, kProgramTitle);
        sv.setFocus("Text3(" + std::to_string(Index) + ")");
        disinput();
        return;
    }

    if (allOctetsFilled()) {
        binary();
        RichTextBox1.clear();
        showAddressDisplay();
    } else {
        disinput();
    }
}

void FrmdocModel::showAddressDisplay()
{
    const auto& b = st.octetBits;
    const std::string sep = "  ";
    std::string red, olive;
    if (st.classLetter == "A") {
        red = b[0] + sep;
        olive = b[1] + sep + b[2] + sep + b[3];
    } else if (st.classLetter == "B") {
        red = b[0] + sep + b[1] + sep;
        olive = b[2] + sep + b[3];
    } else if (st.classLetter == "C") {
        red = b[0] + sep + b[1] + sep + b[2] + sep;
        olive = b[3];
    } else {
        RichTextBox1.clear();
        RichTextBox2.clear();
        return;
    }
    RichTextBox1.selColor = colour::Red;
    RichTextBox1.append(red);
    RichTextBox1.selColor = colour::Olive;
    RichTextBox1.append(olive);
}

void FrmdocModel::binary()
{
    static const int bitWeight[9] = {0, 128, 64, 32, 16, 8, 4, 2, 1};
    for (int k = 0; k < 4; ++k) {
        double v = octetField(k);
        std::string s;
        for (int j = 1; j <= 8; ++j) {
            if (v >= bitWeight[j]) {
                v -= bitWeight[j];
                s += '1';
            } else {
                s += '0';
            }
        }
        st.octetBits[static_cast<std::size_t>(k)] = s;
    }
}

void FrmdocModel::addmask()
{
    std::string a = RichTextBox1.text();
    std::string m = RichTextBox2.text();
    RichTextBox1.clear();
    RichTextBox2.clear();
    int L = classFieldLength(st.classLetter);
    if (!L)
        return;
    int S = st.subnetFieldLength;
    int H = st.hostFieldStart;
    for (auto [box, text] : {std::pair{&RichTextBox1, &a}, std::pair{&RichTextBox2, &m}}) {
        box->selColor = colour::Red;
        box->append(mid(*text, 1, L));
        box->selColor = colour::Blue;
        box->append(mid(*text, L + 1, S));
        box->selColor = colour::Olive;
        box->append(mid(*text, H, 39 - H));
    }
}

void FrmdocModel::bintodec(int n, int k)
{
    if (k < 0 || k > 3)
        return;
    st.octetValue[static_cast<std::size_t>(k)] =
        signText(octetBitsValue(st.octetBits[static_cast<std::size_t>(k)], n, false));
}

void FrmdocModel::bintodec1(int n, int k)
{
    if (k < 0 || k > 3)
        return;
    st.octetValue[static_cast<std::size_t>(k)] =
        signText(octetBitsValue(st.octetBits[static_cast<std::size_t>(k)], n, true));
}

void FrmdocModel::clearf()
{
    RichTextBox2.clear();
    for (auto& p : SSPanel6)
        p.caption.clear();
    SSPanel1.caption.clear();
    Text2.text.clear();
}

// ---------------------------------------------------------------- subnet options

void FrmdocModel::fillcombo()
{
    const std::string letter = Text1.text;
    if (letter == "A" || letter == "B" || letter == "C") {
        if (allOctetsFilled())
            eninput();
        else
            disinput();
        for (auto& c : Combo1)
            c.clear();
        auto rows = subnetOptionRows(letter, st.subnetZero == "y");
        for (const auto& r : rows)
            Combo1[0].addItem(r.bitsText);
        for (const auto& r : rows)
            Combo1[1].addItem(r.mask);
        for (const auto& r : rows)
            Combo1[2].addItem(r.subnets);
        for (const auto& r : rows)
            Combo1[3].addItem(r.hosts);
    } else if (letter == "D" || letter == "E") {
        disinput();
        for (auto& c : Combo1)
            c.clear();
    }
}

void FrmdocModel::disinput()
{
    for (auto& c : Combo1)
        c.enabled = false;
    SSCheck1.enabled = false;
}

void FrmdocModel::eninput()
{
    for (auto& c : Combo1)
        c.enabled = true;
    SSCheck1.enabled = true;
}

void FrmdocModel::Combo1_Click(int Index)
{
    if (Index < 0 || Index > 3)
        return;
    st.chosenRow = Combo1[static_cast<std::size_t>(Index)].listIndex;
    if (st.chosenRow == -1)
        return;
    for (auto& c : Combo1)
        c.setText(c.item(st.chosenRow));
    combo1change();
}

void FrmdocModel::Combo1_KeyDown(int /*Index*/, int /*KeyCode*/, int /*Shift*/)
{
    message("Input not allowed, please choose optons from the drop menu", MsgIcon::Exclamation, "Error");
    for (auto& c : Combo1)
        c.setText("");
    clearf();
}

void FrmdocModel::SSCheck1_Click(int Value)
{
    SSCheck1.value = Value;
    clearf();
    st.subnetZero = Value ? "y" : "n";
    fillcombo();
}

void FrmdocModel::combo1change()
{
    setnetad();
    RichTextBox2.clear();
    if (auto entry = maskDisplayEntry(Combo1[1].text, st.classLetter)) {
        RichTextBox2.selColor = colour::Black;
        RichTextBox2.append(entry->binaryText);
        st.subnetFieldLength = entry->subnetFieldLength;
        st.hostFieldStart = entry->hostFieldStart;
    }
    addmask();
    sethostadd();
    calcsub();
    calcrnge();
    calcwste();
    calcsubnum();
}

// ---------------------------------------------------------------- calculation

void FrmdocModel::setnetad()
{
    const auto& t = Text3;
    if (st.classLetter == "A")
        SSPanel6[3].caption = t[0].text + ".0.0.0";
    else if (st.classLetter == "B")
        SSPanel6[3].caption = t[0].text + "." + t[1].text + ".0.0";
    else if (st.classLetter == "C")
        SSPanel6[3].caption = t[0].text + "." + t[1].text + "." + t[2].text + ".0";
}

void FrmdocModel::sethostadd()
{
    SSPanel6[5].caption = Text3[0].text + "." + Text3[1].text + "." + Text3[2].text + "." + Text3[3].text;
}

void FrmdocModel::calcsub()
{
    st.addressStatus.clear();
    const std::string& c = st.classLetter;
    if (c == "A" || c == "B" || c == "C") {
        if (Combo1[1].text == classMask(c))
            st.addressStatus = "hok";
        else
            chkaddtype();
    }

    SSPanel1.foreColor = colour::Red;
    const std::string& s = st.addressStatus;
    if (s == "n") {
        SSPanel1.caption = "WARNING - This is a network address";
    } else if (s == "sz" && st.subnetZero == "y") {
        SSPanel1.caption = "Host address is a valid address";
        SSPanel1.foreColor = colour::Green;
    } else if (s == "sz") {
        SSPanel1.caption = "WARNING - Host address is in subnet zero";
    } else if (s == "sb") {
        SSPanel1.caption = "WARNING - Host address is in broadcast subnet";
    } else if (s == "hz") {
        SSPanel1.caption = "WARNING - Host address is all zeros";
    } else if (s == "hb") {
        SSPanel1.caption = "WARNING - Host address is subnet broadcast address";
    } else if (s == "hok") {
        SSPanel1.caption = "Host address is a valid address";
        SSPanel1.foreColor = colour::Green;
    }

    SSPanel6[4].caption.clear();
    const int L = st.subnetFieldLength;
    auto sub = [&](int r, int q) {
        bintodec(r, q);
        return trim(st.octetValue[static_cast<std::size_t>(q)]);
    };
    std::string& out = SSPanel6[4].caption;
    const auto& t = Text3;
    if (c == "A") {
        if (L == 0)
            out = numField(0) + ".0.0.0";
        else if (L >= 1 && L <= 8)
            out = numField(0) + "." + sub(L, 1) + ".0.0";
        else if (L >= 11 && L <= 18)
            out = numField(0) + "." + numField(1) + "." + sub(L - 10, 2) + ".0";
        else if (L >= 21 && L <= 26)
            out = numField(0) + "." + numField(1) + "." + numField(2) + "." + sub(L - 20, 3);
    } else if (c == "B") {
        if (L == 0)
            out = t[0].text + "." + t[1].text + ".0.0";
        else if (L >= 1 && L <= 8)
            out = numField(0) + "." + numField(1) + "." + sub(L, 2) + ".0";
        else if (L >= 11 && L <= 16)
            out = numField(0) + "." + numField(1) + "." + numField(2) + "." + sub(L - 10, 3);
    } else if (c == "C") {
        if (L == 0)
            out = t[0].text + "." + t[1].text + "." + t[2].text + ".0";
        else if (L >= 1 && L <= 8)
            out = numField(0) + "." + numField(1) + "." + numField(2) + "." + sub(L, 3);
    }
}

void FrmdocModel::chkaddtype()
{
    const std::string d = RichTextBox1.text();
    const std::string& c = st.classLetter;
    std::string status;
    int start = 0;
    bool network = false;
    if (c == "A") {
        network = mid(d, 11, 28) == "00000000  00000000  00000000";
        start = 11;
    } else if (c == "B") {
        network = mid(d, 21, 18) == "00000000  00000000";
        start = 21;
    } else if (c == "C") {
        network = mid(d, 31, 8) == "00000000";
        start = 31;
    }
    if (network) {
        st.addressStatus = "n";
        return;
    }
    const int L = st.subnetFieldLength;
    int zeros = 0, ones = 0;
    countBits(mid(d, start, L), zeros, ones);
    if (zeros == L)
        status = "sz";
    else if (ones == L)
        status = "sb";
    if (status.empty()) {
        const int H = st.hostFieldStart;
        const int hostLength = 39 - H;
        countBits(mid(d, H, hostLength), zeros, ones);
        if (zeros == hostLength)
            status = "hz";
        else if (ones == hostLength)
            status = "hb";
        else
            status = "hok";
    }
    st.addressStatus = status;
}

void FrmdocModel::calcrnge()
{
    for (int i = 0; i < 3; ++i)
        SSPanel6[static_cast<std::size_t>(i)].caption.clear();
    const std::string& c = st.classLetter;
    const int L = st.subnetFieldLength;
    const auto& t = Text3;
    std::string start, end, bcast;
    // Boundary octet q and its subnet bits r, then s (host bits cleared) and e (host bits set).
    int q = -1, r = 0;
    int k = classNetworkBits(c) / 8;
    if (L >= 1 && L <= 8) {
        q = k;
        r = L;
    } else if (L >= 11 && L <= 18) {
        q = k + 1;
        r = L - 10;
    } else if (L >= 21 && L <= 26) {
        q = k + 2;
        r = L - 20;
    }
    std::string s, e;
    long sv0 = 0, ev0 = 0;
    if (q >= 0 && q <= 3) {
        bintodec(r, q);
        s = trim(st.octetValue[static_cast<std::size_t>(q)]);
        sv0 = std::lround(leadingNumber(s));
        bintodec1(r, q);
        e = trim(st.octetValue[static_cast<std::size_t>(q)]);
        ev0 = std::lround(leadingNumber(e));
    }
    const std::string n012 = numField(0) + "." + numField(1) + "." + numField(2);
    if (c == "A") {
        if (L == 0) {
            start = t[0].text + ".0.0.1";
            end = t[0].text + ".255.255.254";
            bcast = t[0].text + ".255.255.255";
        } else if (L >= 1 && L <= 8) {
            start = numField(0) + "." + s + ".0.1";
            end = numField(0) + "." + e + ".255.254";
            bcast = numField(0) + "." + e + ".255.255";
        } else if (L >= 11 && L <= 18) {
            start = numField(0) + "." + numField(1) + "." + s + ".1";
            end = numField(0) + "." + numField(1) + "." + e + ".254";
            bcast = numField(0) + "." + numField(1) + "." + e + ".255";
        } else if (L >= 21 && L <= 26) {
            start = n012 + "." + std::to_string(sv0 + 1);
            end = n012 + "." + std::to_string(ev0 - 1);
            bcast = n012 + "." + e;
        }
    } else if (c == "B") {
        if (L == 0) {
            start = t[0].text + "." + t[1].text + ".0.1";
            end = t[0].text + "." + t[1].text + ".255.254";
            bcast = t[0].text + "." + t[1].text + ".255.255";
        } else if (L >= 1 && L <= 8) {
            start = numField(0) + "." + numField(1) + "." + s + ".1";
            end = numField(0) + "." + numField(1) + "." + e + ".254";
            bcast = numField(0) + "." + numField(1) + "." + e + ".255";
        } else if (L >= 11 && L <= 16) {
            start = n012 + "." + std::to_string(sv0 + 1);
            end = n012 + "." + std::to_string(ev0 - 1);
            bcast = n012 + "." + e;
        }
    } else if (c == "C") {
        const std::string typed012 = t[0].text + "." + t[1].text + "." + t[2].text;
        if (L == 0) {
            start = typed012 + ".1";
            end = typed012 + ".254";
            bcast = typed012 + ".255";
        } else if (L >= 1 && L <= 6) {
            start = n012 + "." + std::to_string(sv0 + 1);
            end = n012 + "." + std::to_string(ev0 - 1);
            bcast = n012 + "." + e;
        }
    }
    SSPanel6[0].caption = start;
    SSPanel6[1].caption = end;
    SSPanel6[2].caption = bcast;
}

void FrmdocModel::calcwste()
{
    const std::string& c = st.classLetter;
    double total = c == "A" ? 16777214 : c == "B" ? 65534 : c == "C" ? 254 : 0;
    double subnets = leadingNumber(Combo1[2].text);
    double hosts = leadingNumber(Combo1[3].text);
    double wasted = subnets == 0 ? 0 : total - subnets * hosts;
    SSPanel6[6].caption = plainNumber(wasted);
}

// ---------------------------------------------------------------- subnet numbering

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
    if (countText.empty())
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
            message(std::string("Subnet number entered too high ") + kLf + kCr + upTo, MsgIcon::Exclamation,
                    "Warning");
            continue;
        }
        Text2.text = trim(answer);
        selectSubnet();
        return;
    }
}

void FrmdocModel::SSCommand4_Click()
{
    if (Text2.text.empty())
        return;
    double v = leadingNumber(Text2.text) - 1;
    if (v < 0)
        return;
    Text2.text = signText(v);
    selectSubnet();
}

void FrmdocModel::SSCommand6_Click()
{
    if (Text2.text.empty())
        return;
    double v = leadingNumber(Text2.text) + 1;
    if (v > leadingNumber(Combo1[2].text))
        return;
    Text2.text = signText(v);
    selectSubnet();
}

void FrmdocModel::SSCommand1_Click()
{
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

void FrmdocModel::MSFlexGrid1_Click() {}

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
