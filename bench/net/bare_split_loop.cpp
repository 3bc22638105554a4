// The baseline of the split benchmark: the rows of `mqnet split --csv 10.0.0.0/8 30`,
// byte for byte, from a plain loop over 32-bit integers with a digit routine and one
// buffer handed to fwrite. No parsing, no engine, no 128-bit values: what formatting alone costs.
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

char* number(char* p, std::uint32_t v)
{
    char digits[10];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v);
    while (n)
        *p++ = digits[--n];
    return p;
}

char* dotted(char* p, std::uint32_t a)
{
    p = number(p, a >> 24);
    *p++ = '.';
    p = number(p, a >> 16 & 255);
    *p++ = '.';
    p = number(p, a >> 8 & 255);
    *p++ = '.';
    return number(p, a & 255);
}

}  // namespace

int main()
{
    std::vector<char> buffer(1 << 20);
    char* p = buffer.data();
    char* const flushAt = buffer.data() + buffer.size() - 128;
    for (std::uint32_t i = 0; i < (1u << 22); ++i) {
        const std::uint32_t net = 0x0A000000u + (i << 2);
        p = number(p, i);
        *p++ = ',';
        p = dotted(p, net);
        *p++ = '/';
        *p++ = '3';
        *p++ = '0';
        *p++ = ',';
        p = dotted(p, net + 1);
        *p++ = ',';
        p = dotted(p, net + 2);
        *p++ = ',';
        p = dotted(p, net + 3);
        *p++ = '\n';
        if (p >= flushAt) {
            std::fwrite(buffer.data(), 1, static_cast<std::size_t>(p - buffer.data()), stdout);
            p = buffer.data();
        }
    }
    std::fwrite(buffer.data(), 1, static_cast<std::size_t>(p - buffer.data()), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
