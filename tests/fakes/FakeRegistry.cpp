#include "tests/fakes/FakeRegistry.h"

#include <algorithm>
#include <sstream>

#include "sysaccess/TextCase.h"
#include "sysaccess/cRegistry.h"

namespace fakes {

namespace {

using sysaccess::EqualsIgnoreCase;
constexpr long kNotFound = 2;
constexpr long kAccessDenied = 5;
constexpr long kMoreData = 234;
constexpr long kNoMoreItems = 259;

long Pick(const std::vector<std::wstring>& names, std::uint32_t index, std::uint32_t maxChars,
          std::wstring& name) {
    if (index >= names.size()) return kNoMoreItems;
    if (names[index].size() + 1 > maxChars) return kMoreData;
    name = names[index];
    return 0;
}

}  // namespace

FakeRegistry::Value* FakeRegistry::Key::Find(const std::wstring& name) {
    for (Value& v : values)
        if (EqualsIgnoreCase(v.name, name)) return &v;
    return nullptr;
}

class FakeRegistry::Handle : public sysaccess::IRegistryKey {
  public:
    Handle(FakeRegistry& registry, Key& key) : registry_(registry), key_(key) { ++registry_.open_; }
    ~Handle() override { --registry_.open_; }

    long QueryValue(const std::wstring& name, std::uint32_t& type, std::vector<std::uint8_t>* data,
                    std::uint32_t& size) override {
        const Value* v = key_.Find(name);
        if (!v) return kNotFound;
        type = v->type;
        size = static_cast<std::uint32_t>(v->data.size());
        if (data) *data = v->data;
        return 0;
    }
    long SetValue(const std::wstring& name, std::uint32_t type,
                  const std::vector<std::uint8_t>& data) override {
        for (const auto& refused : key_.refused)
            if (!refused || EqualsIgnoreCase(*refused, name)) return kAccessDenied;
        registry_.SetRaw(key_, name, type, data);
        registry_.writes.push_back({key_.path, name, type, data});
        return 0;
    }
    long DeleteValue(const std::wstring&) override { return kAccessDenied; }
    long EnumKey(std::uint32_t index, std::uint32_t maxChars, std::wstring& name) override {
        const std::wstring prefix = key_.path + L"\\";
        std::vector<std::wstring> names;
        for (const Key& k : registry_.keys_)
            if (EqualsIgnoreCase(k.path.substr(0, prefix.size()), prefix) &&
                k.path.find(L'\\', prefix.size()) == std::wstring::npos)
                names.push_back(k.path.substr(prefix.size()));
        return Pick(names, index, maxChars, name);
    }
    long EnumValue(std::uint32_t index, std::uint32_t maxChars, std::wstring& name) override {
        std::vector<std::wstring> names;
        for (const Value& v : key_.values) names.push_back(v.name);
        return Pick(names, index, maxChars, name);
    }
    long QueryMaxValueNameLength(std::uint32_t& chars) override {
        chars = 0;
        for (const Value& v : key_.values)
            chars = std::max(chars, static_cast<std::uint32_t>(v.name.size()));
        return 0;
    }

  private:
    FakeRegistry& registry_;
    Key& key_;
};

std::wstring FakeRegistry::Full(std::uint32_t root, const std::wstring& path) {
    std::wostringstream full;
    full << std::hex << std::uppercase << root << L"\\" << path;
    return full.str();
}

FakeRegistry::Key* FakeRegistry::Find(const std::wstring& full) {
    for (Key& key : keys_)
        if (EqualsIgnoreCase(key.path, full)) return &key;
    return nullptr;
}

// Parents are made first, so that sub-keys list in the order they were made.
FakeRegistry::Key& FakeRegistry::Make(const std::wstring& full) {
    if (Key* found = Find(full)) return *found;
    const std::size_t parent = full.rfind(L'\\');
    if (full.find(L'\\') < parent) Make(full.substr(0, parent));
    return keys_.emplace_back(Key{full});
}

long FakeRegistry::Hand(Key* key, std::unique_ptr<sysaccess::IRegistryKey>& out) {
    out.reset();
    if (failAll_) return failAll_;
    if (!key) return kNotFound;
    if (key->denied) return kAccessDenied;
    out = std::make_unique<Handle>(*this, *key);
    return 0;
}

long FakeRegistry::OpenKey(std::uint32_t root, const std::wstring& path, std::uint32_t,
                           std::unique_ptr<sysaccess::IRegistryKey>& key) {
    return Hand(Find(Full(root, path)), key);
}

long FakeRegistry::CreateKey(std::uint32_t root, const std::wstring& path, std::uint32_t,
                             std::unique_ptr<sysaccess::IRegistryKey>& key) {
    return Hand(failAll_ ? nullptr : &Make(Full(root, path)), key);
}

std::wstring FakeRegistry::ExpandEnvironment(const std::wstring& text) {
    std::wstring out = text;
    for (const auto& [name, value] : environment) {
        const std::wstring reference = L"%" + name + L"%";
        for (auto at = out.find(reference); at != std::wstring::npos;
             at = out.find(reference, at + value.size()))
            out.replace(at, reference.size(), value);
    }
    return out;
}

void FakeRegistry::SetRaw(std::uint32_t root, const std::wstring& path, const std::wstring& name,
                          std::uint32_t type, std::vector<std::uint8_t> data) {
    SetRaw(Make(Full(root, path)), name, type, std::move(data));
}

void FakeRegistry::SetRaw(Key& key, const std::wstring& name, std::uint32_t type,
                          std::vector<std::uint8_t> data) {
    if (Value* v = key.Find(name))
        *v = {v->name, type, std::move(data)};
    else
        key.values.push_back({name, type, std::move(data)});
}

void FakeRegistry::SetString(std::uint32_t root, const std::wstring& path, const std::wstring& name,
                             const std::wstring& text, std::uint32_t type) {
    SetRaw(root, path, name, type, sysaccess::RegistryStringBytes(text));
}

void FakeRegistry::SetDword(std::uint32_t root, const std::wstring& path, const std::wstring& name,
                            std::uint32_t value) {
    SetRaw(root, path, name, sysaccess::kRegDword,
           {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)});
}

std::optional<FakeRegistry::Value> FakeRegistry::Get(std::uint32_t root, const std::wstring& path,
                                                     const std::wstring& name) {
    Key* key = Find(Full(root, path));
    Value* v = key ? key->Find(name) : nullptr;
    return v ? std::optional<Value>(*v) : std::nullopt;
}

std::optional<std::wstring> FakeRegistry::GetString(std::uint32_t root, const std::wstring& path,
                                                    const std::wstring& name) {
    auto v = Get(root, path, name);
    if (!v) return std::nullopt;
    std::wstring text = sysaccess::RegistryBytesToText(v->data);
    if (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

std::optional<std::uint32_t> FakeRegistry::GetDword(std::uint32_t root, const std::wstring& path,
                                                    const std::wstring& name) {
    auto v = Get(root, path, name);
    if (!v || v->data.size() != 4) return std::nullopt;
    return v->data[0] | (std::uint32_t{v->data[1]} << 8) | (std::uint32_t{v->data[2]} << 16) |
           (std::uint32_t{v->data[3]} << 24);
}

}  // namespace fakes
