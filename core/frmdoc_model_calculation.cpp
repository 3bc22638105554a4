// Calculation and checks: network, subnet and host address, range, broadcast,
// wasted addresses and the status message of the typed address.
#include "core/frmdoc_model.h"

#include "core/subnet_options.h"

#include <cmath>

namespace mq {

namespace {

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

}  // namespace mq
