#pragma once
// Typed access to one registry value at a time. Make a fresh instance per use,
// point it at a value (ClassKey, SectionKey, ValueKey, and ValueType for
// writing), then read Value() or call SetValue(). A value that cannot be read
// yields Default(); creating, deleting and writing raise sysaccess::VbError
// with the source kRegistryErrorSource.
//
// Texts travel through the wide-character registry functions, so nothing is
// lost to a code page; string data is stored as UTF-16 with one terminating
// NUL character, which is what Windows itself keeps for every REG_SZ value.
//
// Usage:
//   sysaccess::cRegistry reg(*services.registry);
//   reg.SetClassKey(sysaccess::kHkeyLocalMachine);
//   reg.SetSectionKey(L"System\\CurrentControlSet\\Control\\Terminal Server");
//   reg.SetValueKey(L"fDenyTSConnections");
//   reg.SetValueType(sysaccess::kRegDword);
//   sysaccess::Variant v = reg.Value();
#include <cstdint>
#include <string>
#include <vector>

#include "sysaccess/IRegistryBackend.h"
#include "sysaccess/Variant.h"
#include "sysaccess/VbError.h"

namespace sysaccess {

// The executable's base name followed by the class name.
inline constexpr const wchar_t* kRegistryErrorSource = L"quillon.cRegistry";

// Failure of key creation, key deletion, value deletion, opening the key for
// writing, and a byte-array write given something that is not bytes.
constexpr std::int32_t kErrRegistryKey = 26001;
// A value that the registry refused to store (0x800469A9).
constexpr std::int32_t kErrRegistryWrite = kObjectErrorBase + 27049;
// An unexpected failure while listing sub-keys or value names (0x800469AA).
constexpr std::int32_t kErrRegistryEnumerate = kObjectErrorBase + 27050;

class cRegistry {
  public:
    explicit cRegistry(IRegistryBackend& backend) : backend_(backend) {}

    // Remote registry access is not offered: the name is kept but every
    // operation works on the local registry.
    const std::wstring& Machine() const { return machine_; }
    void SetMachine(const std::wstring& name);

    // True when SectionKey can be opened for reading values.
    bool KeyExists() const;

    // Creates SectionKey (and any missing parents) or opens it if it exists.
    bool CreateKey();
    // Deletes SectionKey, which must have no sub-keys.
    bool DeleteKey();
    // Deletes the value ValueKey of SectionKey.
    bool DeleteValue();

    // Reads ValueKey. On success ValueType becomes the stored type; when the
    // value cannot be read, returns Default() and leaves ValueType alone.
    //   REG_SZ, REG_MULTI_SZ: text without the terminating NUL (a multi-string
    //     keeps its inner NULs and the NUL after its last string);
    //   REG_EXPAND_SZ: text with environment references expanded;
    //   REG_DWORD: 32-bit integer; REG_DWORD_BIG_ENDIAN: the same, bytes reversed;
    //   anything else: the data as bytes.
    Variant Value();
    // Writes ValueKey, converting by ValueType:
    //   REG_SZ / REG_EXPAND_SZ: text, stored as REG_EXPAND_SZ only when it
    //     holds a "%...%" pair with at least one character between;
    //   REG_BINARY: bytes (anything else raises kErrRegistryKey);
    //   REG_DWORD / REG_DWORD_BIG_ENDIAN: 16- or 32-bit integers, stored as
    //     little-endian REG_DWORD; other variants are silently not written;
    //   other types: refused (kErrRegistryWrite).
    void SetValue(const Variant& value);

    // Names of the values (EnumerateValues) or sub-keys (EnumerateSections) of
    // SectionKey in the registry's own order. The list stands for a 1-based
    // array: entry i of the array is names[i - 1]; count == names.size().
    // A key that cannot be opened gives count 0 and still returns true.
    bool EnumerateValues(std::vector<std::wstring>& names, int& count);
    bool EnumerateSections(std::vector<std::wstring>& names, int& count);

    std::int32_t ValueType() const { return valueType_; }
    void SetValueType(std::int32_t type) { valueType_ = type; }

    // The root key as its predefined handle value (signed, as stored).
    std::int32_t ClassKey() const { return static_cast<std::int32_t>(classKey_); }
    void SetClassKey(std::uint32_t root) { classKey_ = root; }

    const std::wstring& SectionKey() const { return sectionKey_; }
    void SetSectionKey(const std::wstring& path) { sectionKey_ = path; }

    // The empty name is the key's unnamed default value.
    const std::wstring& ValueKey() const { return valueKey_; }
    void SetValueKey(const std::wstring& name) { valueKey_ = name; }

    // Sets the address, type and default in one call, then reads or writes.
    Variant ValueEx(std::uint32_t root, const std::wstring& section, const std::wstring& name,
                    std::int32_t type, const Variant& defaultValue);
    void SetValueEx(std::uint32_t root, const std::wstring& section, const std::wstring& name,
                    std::int32_t type, const Variant& defaultValue, const Variant& value);

    const Variant& Default() const { return default_; }
    void SetDefault(const Variant& value) { default_ = value; }

  private:
    [[noreturn]] void Raise(std::int32_t number, const std::wstring& description) const;
    std::wstring ClassKeyText() const;
    std::wstring WriteFailureText(const Variant& value) const;
    void EnumerateInto(bool sections, std::vector<std::wstring>& names, int& count);

    IRegistryBackend& backend_;
    std::wstring machine_;
    std::uint32_t classKey_ = 0;
    std::wstring sectionKey_;
    std::wstring valueKey_;
    std::int32_t valueType_ = 0;
    Variant default_;
};

// UTF-16LE bytes of a text followed by one NUL character, as REG_SZ data.
std::vector<std::uint8_t> RegistryStringBytes(const std::wstring& text);
// The characters of UTF-16LE data (an odd trailing byte is ignored).
std::wstring RegistryBytesToText(const std::vector<std::uint8_t>& data);

}  // namespace sysaccess
