#include "sysaccess/cRegistry.h"

#include <exception>
#include <memory>

namespace sysaccess {

namespace {

constexpr long kSuccess = 0;
constexpr long kMoreData = 234;
// EnumerateSections asks for names in a buffer of this many characters.
constexpr std::uint32_t kSectionNameBuffer = 255;

// The two string types are written by the same rule: expandable only when a
// "%" is followed, at least two characters later, by another "%".
bool HoldsVariableReference(const std::wstring& text) {
    const std::size_t first = text.find(L'%');
    if (first == std::wstring::npos) return false;
    return text.find(L'%', first + 2) != std::wstring::npos;
}

std::int32_t LittleEndianDword(const std::vector<std::uint8_t>& data) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4 && i < data.size(); ++i) v |= std::uint32_t{data[i]} << (8 * i);
    return static_cast<std::int32_t>(v);
}

std::int32_t BigEndianDword(const std::vector<std::uint8_t>& data) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::uint32_t byte = i < data.size() ? data[i] : 0;
        v |= byte << (8 * (3 - i));
    }
    return static_cast<std::int32_t>(v);
}

std::vector<std::uint8_t> DwordBytes(std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

std::wstring CutAtNul(const std::wstring& name) {
    const std::size_t nul = name.find(L'\0');
    return nul == std::wstring::npos ? name : name.substr(0, nul);
}

// Stored string data without its terminating NUL. Data written without a
// terminator keeps all of its characters.
std::wstring StoredText(const std::vector<std::uint8_t>& data) {
    std::wstring text = RegistryBytesToText(data);
    if (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

}  // namespace

std::vector<std::uint8_t> RegistryStringBytes(const std::wstring& text) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() * 2 + 2);
    auto put = [&bytes](std::uint32_t unit) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((unit >> 8) & 0xFF));
    };
    for (wchar_t c : text) {
        const auto cp = static_cast<std::uint32_t>(c);
        if (cp > 0xFFFF) {  // only where wchar_t is 32 bits wide
            const std::uint32_t v = cp - 0x10000;
            put(0xD800 | (v >> 10));
            put(0xDC00 | (v & 0x3FF));
        } else {
            put(cp);
        }
    }
    put(0);
    return bytes;
}

std::wstring RegistryBytesToText(const std::vector<std::uint8_t>& data) {
    std::wstring text;
    const std::size_t units = data.size() / 2;
    text.reserve(units);
    for (std::size_t i = 0; i < units; ++i) {
        const std::uint32_t unit = data[2 * i] | (std::uint32_t{data[2 * i + 1]} << 8);
        if constexpr (sizeof(wchar_t) == 4) {
            if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < units) {
                const std::uint32_t low = data[2 * i + 2] | (std::uint32_t{data[2 * i + 3]} << 8);
                if (low >= 0xDC00 && low < 0xE000) {
                    text.push_back(
                        static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
                    ++i;
                    continue;
                }
            }
        }
        text.push_back(static_cast<wchar_t>(unit));
    }
    return text;
}

void cRegistry::SetMachine(const std::wstring& name) {
    if (name.size() < 3)
        machine_.clear();
    else if (name.compare(0, 2, L"\\\\") == 0)
        machine_ = name;
    else
        machine_ = L"\\\\" + name;
}

void cRegistry::Raise(std::int32_t number, const std::wstring& description) const {
    throw VbError(number, kRegistryErrorSource, description);
}

std::wstring cRegistry::ClassKeyText() const { return std::to_wstring(ClassKey()); }

std::wstring cRegistry::WriteFailureText(const Variant& value) const {
    std::wstring shown;
    try {
        shown = value.ToText();
    } catch (const std::exception&) {
        // Arrays and objects have no text; the message still names the value's place.
    }
    return L"Failed to set registry value Key: '" + ClassKeyText() + L"',Section: '" + sectionKey_ +
           L"',Key: '" + valueKey_ + L"' to value: '" + shown + L"'";
}

bool cRegistry::KeyExists() const {
    std::unique_ptr<IRegistryKey> key;
    return backend_.OpenKey(classKey_, sectionKey_, kKeyQueryValue, key) == kSuccess && key;
}

bool cRegistry::CreateKey() {
    std::unique_ptr<IRegistryKey> key;
    if (backend_.CreateKey(classKey_, sectionKey_, kKeyAllAccessLegacy, key) != kSuccess || !key)
        Raise(kErrRegistryKey, L"Failed to create registry Key: '" + sectionKey_);
    return true;
}

bool cRegistry::DeleteKey() {
    if (backend_.DeleteKey(classKey_, sectionKey_) != kSuccess)
        Raise(kErrRegistryKey,
              L"Failed to delete registry Key: '" + ClassKeyText() + L"',Section: '" + sectionKey_);
    return true;
}

bool cRegistry::DeleteValue() {
    std::unique_ptr<IRegistryKey> key;
    if (backend_.OpenKey(classKey_, sectionKey_, kKeyAllAccessLegacy, key) != kSuccess || !key)
        Raise(kErrRegistryKey, L"Failed to open key '" + ClassKeyText() + L"',Section: '" +
                                   sectionKey_ + L"' for delete access");
    if (key->DeleteValue(valueKey_) != kSuccess)
        Raise(kErrRegistryKey, L"Failed to delete registry Key: '" + ClassKeyText() +
                                   L"',Section: '" + sectionKey_ + L"',Key: '" + valueKey_);
    return true;
}

Variant cRegistry::Value() {
    std::unique_ptr<IRegistryKey> key;
    if (backend_.OpenKey(classKey_, sectionKey_, kKeyQueryValue, key) != kSuccess || !key)
        return default_;

    std::uint32_t type = 0;
    std::uint32_t size = 0;
    const long probe = key->QueryValue(valueKey_, type, nullptr, size);
    if (probe != kSuccess && probe != kMoreData) return default_;
    valueType_ = static_cast<std::int32_t>(type);

    std::vector<std::uint8_t> data(size);
    if (size > 0) {
        std::uint32_t readSize = size;
        std::uint32_t readType = type;
        if (key->QueryValue(valueKey_, readType, &data, readSize) != kSuccess) return default_;
        data.resize(readSize < size ? readSize : size);
    }

    switch (type) {
        case kRegSz:
        case kRegMultiSz:
            return Variant(StoredText(data));
        case kRegExpandSz: {
            std::wstring text = StoredText(data);
            if (text.empty()) return Variant(std::wstring());
            return Variant(backend_.ExpandEnvironment(text));
        }
        case kRegDword:
            return Variant(LittleEndianDword(data));
        case kRegDwordBigEndian:
            return Variant(BigEndianDword(data));
        default:
            return Variant(std::move(data));
    }
}

void cRegistry::SetValue(const Variant& value) {
    std::unique_ptr<IRegistryKey> key;
    if (backend_.CreateKey(classKey_, sectionKey_, kKeyAllAccessLegacy, key) != kSuccess || !key)
        Raise(kErrRegistryKey, WriteFailureText(value));

    long status = kSuccess;
    switch (valueType_) {
        case static_cast<std::int32_t>(kRegSz):
        case static_cast<std::int32_t>(kRegExpandSz): {
            const std::wstring text = value.ToText();
            const std::uint32_t type = HoldsVariableReference(text) ? kRegExpandSz : kRegSz;
            status = key->SetValue(valueKey_, type, RegistryStringBytes(text));
            break;
        }
        case static_cast<std::int32_t>(kRegBinary):
            if (!value.IsBytes())
                Raise(kErrRegistryKey, L"Application-defined or object-defined error");
            status = key->SetValue(valueKey_, kRegBinary, value.BytesValue());
            break;
        case static_cast<std::int32_t>(kRegDword):
        case static_cast<std::int32_t>(kRegDwordBigEndian):
            if (!value.IsInteger()) return;
            status = key->SetValue(valueKey_, kRegDword, DwordBytes(value.ToInt32()));
            break;
        default:
            status = kErrTypeMismatch;
            break;
    }
    if (status != kSuccess) Raise(kErrRegistryWrite, WriteFailureText(value));
}

void cRegistry::EnumerateInto(bool sections, std::vector<std::wstring>& names, int& count) {
    count = 0;
    names.clear();
    std::unique_ptr<IRegistryKey> key;
    try {
        const std::uint32_t access = sections ? kKeyEnumerateSubKeys : kKeyQueryValue;
        if (backend_.OpenKey(classKey_, sectionKey_, access, key) != kSuccess || !key) return;
        std::uint32_t bufferChars = kSectionNameBuffer;
        if (!sections) {
            std::uint32_t longest = 0;
            if (key->QueryMaxValueNameLength(longest) != kSuccess) return;
            bufferChars = longest + 1;
        }
        for (std::uint32_t index = 0;; ++index) {
            std::wstring name;
            const long status = sections ? key->EnumKey(index, bufferChars, name)
                                         : key->EnumValue(index, bufferChars, name);
            if (status != kSuccess) break;
            names.push_back(CutAtNul(name));
            ++count;
        }
    } catch (const VbError& e) {
        key.reset();
        Raise(kErrRegistryEnumerate, e.Description());
    } catch (const std::exception& e) {
        key.reset();
        const std::string what = e.what();
        Raise(kErrRegistryEnumerate, std::wstring(what.begin(), what.end()));
    }
}

bool cRegistry::EnumerateValues(std::vector<std::wstring>& names, int& count) {
    EnumerateInto(false, names, count);
    return true;
}

bool cRegistry::EnumerateSections(std::vector<std::wstring>& names, int& count) {
    EnumerateInto(true, names, count);
    return true;
}

Variant cRegistry::ValueEx(std::uint32_t root, const std::wstring& section,
                           const std::wstring& name, std::int32_t type,
                           const Variant& defaultValue) {
    SetClassKey(root);
    SetSectionKey(section);
    SetValueKey(name);
    SetValueType(type);
    SetDefault(defaultValue);
    return Value();
}

void cRegistry::SetValueEx(std::uint32_t root, const std::wstring& section,
                           const std::wstring& name, std::int32_t type, const Variant& defaultValue,
                           const Variant& value) {
    SetClassKey(root);
    SetSectionKey(section);
    SetValueKey(name);
    SetValueType(type);
    SetDefault(defaultValue);
    SetValue(value);
}

}  // namespace sysaccess
