#include "reference/clist_model.h"

#include "reference/reference_tables.h"

#include <stdexcept>

namespace mq {

namespace {

template <std::size_t N> void writeRows(ClistModel& m, const std::array<reference::Row, N>& rows)
{
    std::int16_t r = 1;
    for (const auto& row : rows) {
        m.MSFlexGrid1.setTextArray(m.Fgia(r, 0), std::string(row.key));
        m.MSFlexGrid1.setTextArray(m.Fgia(r, 1), std::string(row.description));
        ++r;
    }
}

}  // namespace

ClistModel::ClistModel(Services& s) : services(s)
{
    SSCommand1[0].caption = "Common Ethernet MAC Vendor Codes";
    SSCommand1[1].caption = "Common TCP/UDP Port Numbers";
    SSCommand1[2].caption = "Common TCP/IP Multicast Addresses";
    SSCommand2.caption = "Search For..";
    Label1 = "PLEASE NOTE - The search facility offered is very rudimentary. All searches are case sensitive.";
}

void ClistModel::Form_Load()
{
    MSFlexGrid1.colWidth = {3300, 4100};
    MSFlexGrid1.colAlignment = {1, 1};
    MSFlexGrid1.setTextArray(Fgia(0, 0), "");
    MSFlexGrid1.setTextArray(Fgia(0, 1), "");
}

std::int16_t ClistModel::Fgia(std::int16_t r, std::int16_t c) const
{
    const long index = static_cast<long>(r) * MSFlexGrid1.cols + c;
    if (index < INT16_MIN || index > INT16_MAX)
        throw std::overflow_error("grid cell index out of range");
    return static_cast<std::int16_t>(index);
}

void ClistModel::SSCommand1_Click(int index)
{
    if (index < 0 || index > 2)
        return;
    SSPanel1[0].caption.clear();
    SSPanel1[1].caption.clear();
    for (std::int16_t r = 1; r <= kRows - 1; ++r) {
        MSFlexGrid1.setTextArray(Fgia(r, 0), "");
        MSFlexGrid1.setTextArray(Fgia(r, 1), "");
    }
    static constexpr const char* headings[3] = {"Ethernet Mac Codes", "TCP/UDP Port Number",
                                                "Common Multicast Addresses"};
    MSFlexGrid1.setTextArray(Fgia(0, 0), headings[index]);
    MSFlexGrid1.setTextArray(Fgia(0, 1), "Description");
    switch (index) {
    case 0: setmac(); break;
    case 1: setport(); break;
    default: setmult(); break;
    }
}

void ClistModel::SSCommand2_Click()
{
    if (Text1.text.empty()) {
        services.msgBox("Please enter a search argument", MsgIcon::Critical, "Search Error");
        services.setFocus("Text1");
        return;
    }
    for (std::int16_t r = 1; r <= kRows - 1; ++r) {
        const std::string& key = MSFlexGrid1.textArray(Fgia(r, 0));
        if (key.empty())
            continue;
        const std::string& description = MSFlexGrid1.textArray(Fgia(r, 1));
        if (key == Text1.text || description == Text1.text) {
            SSPanel1[0].caption = key;
            SSPanel1[1].caption = description;
            return;
        }
    }
    services.msgBox("No match found", MsgIcon::Information, "Sorry");
}

void ClistModel::setmac()
{
    writeRows(*this, reference::kMacVendorCodes);
}
void ClistModel::setport()
{
    writeRows(*this, reference::kPortNumbers);
}
void ClistModel::setmult()
{
    writeRows(*this, reference::kMulticastAddresses);
}

}  // namespace mq
