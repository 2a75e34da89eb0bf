// Fuzzes the decoding of registry data into variants: any stored type with
// any data (odd lengths, missing NULs) must come back as the documented
// variant, never read outside the data. The first byte is the type.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "sysaccess/IRegistryBackend.h"
#include "sysaccess/cRegistry.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A key that holds one value of the fuzzed type and data, and refuses the rest.
struct FuzzKey : sysaccess::IRegistryKey {
    FuzzKey(std::uint32_t type, const Bytes& data) : type(type), data(data) {}
    long QueryValue(const std::wstring&, std::uint32_t& type, Bytes* out,
                    std::uint32_t& size) override {
        type = this->type;
        const auto needed = static_cast<std::uint32_t>(data.size());
        const bool fits = !out || size >= needed;
        if (out && fits) out->assign(data.begin(), data.end());
        size = needed;
        return fits ? 0 : 234;
    }
    long SetValue(const std::wstring&, std::uint32_t, const Bytes&) override { return 5; }
    long DeleteValue(const std::wstring&) override { return 5; }
    long EnumKey(std::uint32_t, std::uint32_t, std::wstring&) override { return 259; }
    long EnumValue(std::uint32_t, std::uint32_t, std::wstring&) override { return 259; }
    long QueryMaxValueNameLength(std::uint32_t& chars) override { return chars = 0, 0; }
    std::uint32_t type;
    const Bytes& data;
};

struct FuzzBackend : sysaccess::IRegistryBackend {
    long OpenKey(std::uint32_t, const std::wstring&, std::uint32_t,
                 std::unique_ptr<sysaccess::IRegistryKey>& key) override {
        return key = std::make_unique<FuzzKey>(type, data), 0;
    }
    long CreateKey(std::uint32_t, const std::wstring&, std::uint32_t,
                   std::unique_ptr<sysaccess::IRegistryKey>&) override {
        return 5;
    }
    long DeleteKey(std::uint32_t, const std::wstring&) override { return 5; }
    // Expands %A% to a longer text, so that growth is exercised too.
    std::wstring ExpandEnvironment(const std::wstring& text) override {
        std::wstring out = text;
        for (std::size_t at; (at = out.find(L"%A%")) != std::wstring::npos;)
            out.replace(at, 3, L"expanded");
        return out;
    }
    std::uint32_t type = 0;
    Bytes data;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < 1) return 0;
    FuzzBackend backend;
    backend.type = bytes[0] % 12;
    backend.data.assign(bytes + 1, bytes + size);
    sysaccess::cRegistry reg(backend);
    reg.SetClassKey(sysaccess::kHkeyLocalMachine);
    reg.SetSectionKey(L"SOFTWARE\\Fuzz");
    reg.SetValueKey(L"Value");
    const sysaccess::Variant v = reg.Value();
    if (reg.ValueType() != static_cast<std::int32_t>(backend.type)) std::abort();
    switch (backend.type) {
        case sysaccess::kRegSz:
        case sysaccess::kRegMultiSz:  // at most one character per two bytes of data
            if (!v.IsText() || v.Text().size() > backend.data.size() / 2) std::abort();
            break;
        case sysaccess::kRegExpandSz:
            if (!v.IsText()) std::abort();
            break;
        case sysaccess::kRegDword:
        case sysaccess::kRegDwordBigEndian:
            if (!v.IsInteger()) std::abort();
            break;
        default:
            if (!v.IsBytes() || v.BytesValue() != backend.data) std::abort();
    }
    return 0;
}
