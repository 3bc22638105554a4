// What the About box needs of the operating system to find and start a
// system-information tool: the registry (where there is one), a file test,
// a PATH lookup and starting a program. The Qt layer implements it; tests fake it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace mq {

enum class KeyRoot { LocalMachine };

// Value types as the registry reports them.
inline constexpr unsigned long kRegString = 1;  // REG_SZ
inline constexpr unsigned long kRegDword = 4;  // REG_DWORD, little-endian

inline constexpr std::size_t kKeyValueBufferSize = 1024;

class SystemAccess {
public:
    using KeyHandle = std::uintptr_t;

    virtual ~SystemAccess() = default;

    // False where the platform has no system registry.
    virtual bool hasRegistry() const { return false; }
    // Opens a key with full access; nothing when it cannot be opened.
    virtual std::optional<KeyHandle> openKey(KeyRoot, const std::string& /*keyName*/) { return std::nullopt; }
    // Reads a value into buffer (kKeyValueBufferSize chars, all NUL before the read);
    // size is in: the buffer's size, out: the number of bytes stored. False on failure.
    virtual bool queryValue(KeyHandle, const std::string& /*valueName*/, unsigned long& /*type*/,
                            std::string& /*buffer*/, std::size_t& /*size*/)
    {
        return false;
    }
    virtual void closeKey(KeyHandle) { }

    virtual bool fileExists(const std::string& path) = 0;
    // The full path of an installed program found on the search path.
    virtual std::optional<std::string> findProgram(const std::string& name) = 0;
    // Starts a program in a normal, focused window without waiting for it.
    virtual bool startProgram(const std::string& path) = 0;
};

// Turns the bytes a registry read stored into the value's text. With n the
// number of bytes stored, a NUL as the n-th character is dropped. Strings
// (type 1) give their text, 32-bit numbers (type 4) their decimal text; other
// types leave KeyVal as it was.
void decodeKeyValue(unsigned long type, const std::string& buffer, std::size_t n, std::string& KeyVal);

// Reads one registry value as text. True when it was read; otherwise KeyVal
// is empty. The key is closed again in every case.
bool GetKeyValue(SystemAccess& system, KeyRoot KeyRoot, const std::string& KeyName, const std::string& SubKeyRef,
                 std::string& KeyVal);

}  // namespace mq
