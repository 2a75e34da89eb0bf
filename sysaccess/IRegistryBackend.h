#pragma once
// The registry functions that cRegistry is built on, in the shape of the
// wide-character Win32 registry API. Status values are Win32 error codes
// (0 success, 2 not found, 5 access denied, 234 more data, 259 no more items).
// String data travels as UTF-16 little-endian bytes, as the W functions store it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sysaccess {

// An open key; destroying it closes the key.
class IRegistryKey {
public:
    virtual ~IRegistryKey() = default;
    // With data == nullptr only type and size (bytes) are reported.
    // Otherwise data is filled with at most size bytes; returns 234 and the
    // needed size when it does not fit.
    virtual long QueryValue(const std::wstring& name, std::uint32_t& type,
                            std::vector<std::uint8_t>* data, std::uint32_t& size) = 0;
    virtual long SetValue(const std::wstring& name, std::uint32_t type,
                          const std::vector<std::uint8_t>& data) = 0;
    virtual long DeleteValue(const std::wstring& name) = 0;
    // Name of the sub-key at index; maxChars is the buffer size in characters
    // including the terminating NUL (names that do not fit give 234).
    virtual long EnumKey(std::uint32_t index, std::uint32_t maxChars, std::wstring& name) = 0;
    virtual long EnumValue(std::uint32_t index, std::uint32_t maxChars, std::wstring& name) = 0;
    // Length in characters of the longest value name (without NUL).
    virtual long QueryMaxValueNameLength(std::uint32_t& chars) = 0;
};

class IRegistryBackend {
public:
    virtual ~IRegistryBackend() = default;
    virtual long OpenKey(std::uint32_t root, const std::wstring& path, std::uint32_t access,
                         std::unique_ptr<IRegistryKey>& key) = 0;
    virtual long CreateKey(std::uint32_t root, const std::wstring& path, std::uint32_t access,
                           std::unique_ptr<IRegistryKey>& key) = 0;
    virtual long DeleteKey(std::uint32_t root, const std::wstring& path) = 0;
    virtual std::wstring ExpandEnvironment(const std::wstring& text) = 0;
};

constexpr std::uint32_t kHkeyClassesRoot = 0x80000000u;
constexpr std::uint32_t kHkeyCurrentUser = 0x80000001u;
constexpr std::uint32_t kHkeyLocalMachine = 0x80000002u;
constexpr std::uint32_t kHkeyUsers = 0x80000003u;

constexpr std::uint32_t kRegNone = 0;
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegDwordBigEndian = 5;
constexpr std::uint32_t kRegMultiSz = 7;

constexpr std::uint32_t kKeyQueryValue = 0x0001;
constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;
constexpr std::uint32_t kKeyAllAccessLegacy = 0x003F;

}  // namespace sysaccess
