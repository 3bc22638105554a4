#include "ui/frmAbout/system_access.h"

#include <algorithm>

namespace mq {

void decodeKeyValue(unsigned long type, const std::string& buffer, std::size_t n, std::string& KeyVal)
{
    // A read never stores more than the buffer holds.
    n = std::min(n, buffer.size());
    std::string text = buffer.substr(0, n);
    if (n > 0 && buffer[n - 1] == '\0')
        text.pop_back();

    if (type == kRegString) {
        KeyVal = text;
    } else if (type == kRegDword) {
        // The number's four bytes, low byte first; the NUL rule above must not cut
        // off a zero high byte, so read them from the buffer itself.
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4 && i < n; ++i)
            value |= static_cast<std::uint32_t>(static_cast<unsigned char>(buffer[i])) << (8 * i);
        KeyVal = std::to_string(value);
    }
}

bool GetKeyValue(SystemAccess& system, KeyRoot KeyRoot, const std::string& KeyName, const std::string& SubKeyRef,
                 std::string& KeyVal)
{
    const auto hKey = system.openKey(KeyRoot, KeyName);
    if (!hKey) {
        KeyVal.clear();
        return false;
    }
    std::string buffer(kKeyValueBufferSize, '\0');
    std::size_t size = kKeyValueBufferSize;
    unsigned long type = 0;
    if (!system.queryValue(*hKey, SubKeyRef, type, buffer, size)) {
        KeyVal.clear();
        system.closeKey(*hKey);
        return false;
    }
    buffer.resize(kKeyValueBufferSize, '\0');
    decodeKeyValue(type, buffer, size, KeyVal);
    system.closeKey(*hKey);
    return true;
}

}  // namespace mq
