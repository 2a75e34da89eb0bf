// Fuzzes the decoding of registry data into variants: any stored type with
// any data (odd lengths, missing NULs, huge sizes reported) must come back as
// the documented variant, never read outside the data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "sysaccess/IRegistryBackend.h"
#include "sysaccess/cRegistry.h"

namespace {

// One key holding one value with the fuzzed type and bytes.
class FuzzKey : public sysaccess::IRegistryKey {
  public:
    FuzzKey(std::uint32_t type, std::vector<std::uint8_t> data)
        : type_(type), data_(std::move(data)) {}
    long QueryValue(const std::wstring&, std::uint32_t& type, std::vector<std::uint8_t>* data,
                    std::uint32_t& size) override {
        type = type_;
        const auto needed = static_cast<std::uint32_t>(data_.size());
        if (!data) {
            size = needed;
            return 0;
        }
        if (size < needed) {
            size = needed;
            return 234;
        }
        data->assign(data_.begin(), data_.end());
        size = needed;
        return 0;
    }
    long SetValue(const std::wstring&, std::uint32_t, const std::vector<std::uint8_t>&) override {
        return 5;
    }
    long DeleteValue(const std::wstring&) override { return 5; }
    long EnumKey(std::uint32_t, std::uint32_t, std::wstring&) override { return 259; }
    long EnumValue(std::uint32_t, std::uint32_t, std::wstring&) override { return 259; }
    long QueryMaxValueNameLength(std::uint32_t& chars) override {
        chars = 0;
        return 0;
    }

  private:
    std::uint32_t type_;
    std::vector<std::uint8_t> data_;
};

class FuzzBackend : public sysaccess::IRegistryBackend {
  public:
    FuzzBackend(std::uint32_t type, std::vector<std::uint8_t> data)
        : type_(type), data_(std::move(data)) {}
    long OpenKey(std::uint32_t, const std::wstring&, std::uint32_t,
                 std::unique_ptr<sysaccess::IRegistryKey>& key) override {
        key = std::make_unique<FuzzKey>(type_, data_);
        return 0;
    }
    long CreateKey(std::uint32_t, const std::wstring&, std::uint32_t,
                   std::unique_ptr<sysaccess::IRegistryKey>&) override {
        return 5;
    }
    long DeleteKey(std::uint32_t, const std::wstring&) override { return 5; }
    // Expands %A% to a longer text so that growth is exercised too.
    std::wstring ExpandEnvironment(const std::wstring& text) override {
        std::wstring out;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text.compare(i, 3, L"%A%") == 0) {
                out += L"expanded";
                i += 2;
            } else {
                out += text[i];
            }
        }
        return out;
    }

  private:
    std::uint32_t type_;
    std::vector<std::uint8_t> data_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < 1) return 0;
    const std::uint32_t type = bytes[0] % 12;
    FuzzBackend backend(type, std::vector<std::uint8_t>(bytes + 1, bytes + size));
    sysaccess::cRegistry reg(backend);
    reg.SetClassKey(sysaccess::kHkeyLocalMachine);
    reg.SetSectionKey(L"SOFTWARE\\Fuzz");
    reg.SetValueKey(L"Value");
    const sysaccess::Variant v = reg.Value();
    if (reg.ValueType() != static_cast<std::int32_t>(type)) std::abort();
    const std::size_t dataSize = size - 1;
    switch (type) {
        case sysaccess::kRegSz:
        case sysaccess::kRegMultiSz:
            // At most one character per two bytes of data.
            if (!v.IsText() || v.Text().size() > dataSize / 2) std::abort();
            break;
        case sysaccess::kRegExpandSz:
            if (!v.IsText()) std::abort();
            break;
        case sysaccess::kRegDword:
        case sysaccess::kRegDwordBigEndian:
            if (!v.IsInteger() && !v.IsEmpty()) std::abort();
            break;
        default:
            if (!v.IsBytes() || v.BytesValue().size() != dataSize) std::abort();
    }
    return 0;
}
