#pragma once
// Shared by the interchange tests: a small campus plan, fixtures, and blocks in short form.
#include <gtest/gtest.h>

#include <string>

#include "interchange/blocks.h"
#include "net/parse.h"
#include "tests/support/files.h"
#include "tests/support/net_text.h"

namespace mq::interchange::test {

using mq::test::P;

inline std::string fixture(const std::string& name)
{
    const std::string text = mq::test::readFile(std::string(MQ_INTERCHANGE_FIXTURES) + "/" + name);
    EXPECT_NE(text, "<unreadable>") << name;
    return text;
}

// 10.40.0.0/16 in four /18s; the first in four /20s. Names with commas and quotes, a note
// over two lines, VLANs, colours, one reserved block and free space.
inline std::vector<FlatBlock> campus()
{
    using plan::BlockState;
    std::vector<FlatBlock> b;
    auto add = [&](const char* prefix, BlockState s, const char* name = "", const char* note = "",
                   std::optional<int> vlan = {}, std::optional<std::uint32_t> colour = {}) {
        b.push_back({P(prefix), name, note, colour, s, vlan, 0});
    };
    auto container = [&](const char* prefix, const char* name) {
        add(prefix, BlockState::Free, name);
        b.back().container = true;
    };
    container("10.40.0.0/16", "Campus");
    container("10.40.0.0/18", "Main building");
    add("10.40.0.0/20", BlockState::Assigned, "Staff, floor 1", "", 110, 0x9cc0e0);
    add("10.40.16.0/20", BlockState::Assigned, "Voice \"VoIP\"", "SIP phones\nand fax", 120);
    add("10.40.32.0/20", BlockState::Reserved, "Growth");
    add("10.40.48.0/20", BlockState::Free);
    add("10.40.64.0/18", BlockState::Assigned, "Lab", "", {}, 0xf27f64);
    add("10.40.128.0/18", BlockState::Free);
    add("10.40.192.0/18", BlockState::Assigned, "Wi-Fi guests", "", 300);
    return b;
}

// A digit for what a block is: 0 container, 1 assigned, 2 reserved, 3 deprecated (reserved,
// by the IPAM's status), 4 free.
inline int kindOf(const FlatBlock& b)
{
    if (b.container)
        return 0;
    switch (b.state) {
    case plan::BlockState::Assigned: return 1;
    case plan::BlockState::Reserved: return b.ipam.status == "deprecated" ? 3 : 2;
    case plan::BlockState::Free: break;
    }
    return 4;
}

// "prefix kind name|note vlan colour", one block a line, for comparisons that show.
inline std::string brief(const std::vector<FlatBlock>& blocks)
{
    std::string out;
    for (const FlatBlock& b : blocks) {
        out += net::formatNetwork(b.prefix) + " " + std::to_string(kindOf(b)) + " " + b.name + "|" + b.note;
        out += " " + (b.vlan ? std::to_string(*b.vlan) : std::string("-"));
        out += " " + (b.colour ? std::to_string(*b.colour) : std::string("-")) + "\n";
    }
    return out;
}

}  // namespace mq::interchange::test
