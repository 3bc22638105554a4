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
inline std::vector<ExportBlock> campus()
{
    std::vector<ExportBlock> b;
    auto add = [&](const char* prefix, Status s, const char* name = "", const char* note = "",
                   std::optional<int> vlan = {}, std::optional<std::uint32_t> colour = {}) {
        b.push_back({P(prefix), name, note, colour, s, vlan, 0});
    };
    add("10.40.0.0/16", Status::Container, "Campus");
    add("10.40.0.0/18", Status::Container, "Main building");
    add("10.40.0.0/20", Status::Active, "Staff, floor 1", "", 110, 0x9cc0e0);
    add("10.40.16.0/20", Status::Active, "Voice \"VoIP\"", "SIP phones\nand fax", 120);
    add("10.40.32.0/20", Status::Reserved, "Growth");
    add("10.40.48.0/20", Status::Free);
    add("10.40.64.0/18", Status::Active, "Lab", "", {}, 0xf27f64);
    add("10.40.128.0/18", Status::Free);
    add("10.40.192.0/18", Status::Active, "Wi-Fi guests", "", 300);
    return b;
}

// "prefix status name|note vlan colour", one block a line, for comparisons that show.
inline std::string brief(const std::vector<ExportBlock>& blocks)
{
    std::string out;
    for (const ExportBlock& b : blocks) {
        out += net::formatNetwork(b.prefix) + " " + std::to_string(static_cast<int>(b.status)) + " " + b.name + "|" +
               b.note;
        out += " " + (b.vlan ? std::to_string(*b.vlan) : std::string("-"));
        out += " " + (b.colour ? std::to_string(*b.colour) : std::string("-")) + "\n";
    }
    return out;
}

}  // namespace mq::interchange::test
