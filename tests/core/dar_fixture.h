// The address range window's model next to a calculator, with a file writer
// that keeps the bytes in memory or fails on request.
#pragma once

#include "core/dar_model.h"
#include "tests/core/calculator_fixture.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace mq::test {

class MemoryFileWriter : public StreamedFileWriter {
public:
    // Files as written, by name; a failed write leaves the old content.
    std::map<std::string, std::string> files;
    bool failWrites = false;
    int calls = 0;

    bool write(const std::string& path, const std::function<bool(ByteSink&)>& produce, std::string& error) override
    {
        ++calls;
        StringSink sink;
        const bool produced = produce(sink);
        if (failWrites || !produced) {
            error = "No space left on device";
            return false;
        }
        files[path] = sink.bytes;
        return true;
    }
};

struct DarFixture : Calculator {
    MemoryFileWriter writer;
    DarModel dar{&m, sv, writer};

    void calculate(const std::array<std::string, 4>& octets, const std::string& mask)
    {
        setAddress(octets);
        chooseMask(mask);
    }
    std::string row(std::int64_t n) const { return dar.RichTextBox1.line(dar.RichTextBox1.headCount() + n); }
};

// The subnet line of subnet n worked out with 32-bit arithmetic from the
// address, the class's network bits and the subnet bits.
inline std::string dotted(std::uint32_t a)
{
    return std::to_string(a >> 24) + "." + std::to_string((a >> 16) & 255) + "." + std::to_string((a >> 8) & 255) +
           "." + std::to_string(a & 255);
}

inline std::string oracleLine(std::uint32_t address, int classBits, int subnetBits, std::int64_t n)
{
    const int h = 32 - classBits - subnetBits;
    const std::uint32_t net = address & ~((std::uint32_t{1} << (32 - classBits)) - 1);
    const std::uint32_t sub = net | (static_cast<std::uint32_t>(n) << h);
    const std::uint32_t bcast = sub | ((std::uint32_t{1} << h) - 1);
    return " " + std::to_string(n) + "\t" + dotted(sub) + "\t" + dotted(sub + 1) + "\t" + dotted(bcast - 1) + "\t" +
           dotted(bcast);
}

}  // namespace mq::test
