// The test's bridge to lz_reference_test.py:
//   compress | decompress     lines of UTF-16 as hex (4 digits a unit) <-> encoded lines
//   vsc SEED MODE             a random IPv4 plan: its share link, then its JSON
//   vsc-read-link | vsc-read-json   standard input read as a link or JSON: one block a line
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>

#include "interchange/lzstring.h"
#include "interchange/vsc.h"
#include "random_plan.h"

using namespace mq;
using namespace mq::interchange;

namespace {

std::u16string fromHex(const std::string& line)
{
    std::u16string s;
    for (std::size_t i = 0; i + 4 <= line.size(); i += 4)
        s += static_cast<char16_t>(std::stoul(line.substr(i, 4), nullptr, 16));
    return s;
}

std::string toHex(const std::u16string& s)
{
    std::string out;
    char buf[5];
    for (char16_t c : s) {
        std::snprintf(buf, sizeof buf, "%04x", static_cast<unsigned>(c));
        out += buf;
    }
    return out;
}

int printTree(const VscRead& r)
{
    if (!r.tree) {
        std::cout << "!" << r.error << "\n";
        return 1;
    }
    std::cout << net::formatNetwork(r.tree->base) << " " << plan::cloudRules(r.tree->mode).key << "\n";
    for (const FlatBlock& b : r.tree->blocks)
        std::cout << net::formatNetwork(b.prefix) << "\t" << b.container << static_cast<int>(b.state) << "\t" << b.name
                  << "\t" << (b.colour ? std::to_string(*b.colour) : "-") << "\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    std::string line;
    if (mode == "compress") {
        while (std::getline(std::cin, line))
            std::cout << lz::compressToEncodedURIComponent(fromHex(line)) << "\n";
        return 0;
    }
    if (mode == "decompress") {
        while (std::getline(std::cin, line)) {
            const lz::DecodeResult r = lz::decompressFromEncodedURIComponent(line);
            std::cout << (r.text ? toHex(*r.text) : "!" + r.error) << "\n";
        }
        return 0;
    }
    if (mode == "vsc" && argc > 3) {
        const auto blocks = blocksOf(interchange::test::randomPlan(static_cast<unsigned>(std::stoul(argv[2])), true));
        const plan::CloudMode cloud = plan::parseCloudMode(argv[3]).value_or(plan::CloudMode::None);
        const WriteResult link = writeVscLink(blocks, cloud), json = writeVscJson(blocks, cloud);
        std::cout << link.text << "\n" << json.text;
        return link.error.empty() && json.error.empty() ? 0 : 1;
    }
    const std::string in((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    if (mode == "vsc-read-link")
        return printTree(readVscLink(in));
    if (mode == "vsc-read-json")
        return printTree(readVscJson(in));
    std::cerr << "usage: interchange_lz_tool compress|decompress|vsc SEED MODE|vsc-read-link|vsc-read-json\n";
    return 2;
}
