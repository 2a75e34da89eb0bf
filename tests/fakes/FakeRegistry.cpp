#include "tests/fakes/FakeRegistry.h"

#include <algorithm>
#include <cwctype>

namespace fakes {

namespace {

constexpr long kNotFound = 2;
constexpr long kAccessDenied = 5;
constexpr long kMoreData = 234;
constexpr long kNoMoreItems = 259;
constexpr long kKeyDeleted = 1018;

// Close enough to the registry's own case rules for the names tests use.
std::wstring Folded(std::wstring s) {
    for (wchar_t& c : s) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return s;
}

// "80000002\A\B" for root HKLM and "A\\B\" (empty components dropped).
std::wstring FullPath(std::uint32_t root, const std::wstring& path) {
    static const wchar_t* digits = L"0123456789ABCDEF";
    std::wstring full;
    for (int shift = 28; shift >= 0; shift -= 4) full += digits[(root >> shift) & 0xF];
    std::wstring part;
    for (wchar_t c : path + L"\\") {
        if (c != L'\\') {
            part += c;
        } else if (!part.empty()) {
            full += L"\\" + part;
            part.clear();
        }
    }
    return full;
}

std::vector<std::uint8_t> Utf16(const std::wstring& text) {
    std::vector<std::uint8_t> bytes;
    for (wchar_t c : text + L'\0') {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
    }
    return bytes;
}

}  // namespace

struct FakeRegistry::Key {
    std::wstring path;
    int order = 0;
    std::vector<Value> values;
    bool denied = false;
    bool refusedAll = false;
    std::vector<std::wstring> refused;  // folded value names
    bool deleted = false;

    Value* Find(const std::wstring& name) {
        for (Value& v : values)
            if (Folded(v.name) == Folded(name)) return &v;
        return nullptr;
    }
    bool Refuses(const std::wstring& name) const {
        return refusedAll || std::count(refused.begin(), refused.end(), Folded(name)) > 0;
    }
};

namespace {

class KeyHandle : public sysaccess::IRegistryKey {
  public:
    KeyHandle(std::shared_ptr<FakeRegistry::Key> key, std::vector<std::wstring> subKeys,
              std::vector<FakeRegistry::Write>& writes, std::shared_ptr<int> open,
              const long& failAll)
        : key_(std::move(key)),
          subKeys_(std::move(subKeys)),
          writes_(writes),
          open_(std::move(open)),
          failAll_(failAll) {
        ++*open_;
    }
    ~KeyHandle() override { --*open_; }

    long QueryValue(const std::wstring& name, std::uint32_t& type, std::vector<std::uint8_t>* data,
                    std::uint32_t& size) override {
        if (long s = Check()) return s;
        const FakeRegistry::Value* v = key_->Find(name);
        if (!v) return kNotFound;
        type = v->type;
        const auto needed = static_cast<std::uint32_t>(v->data.size());
        const bool fits = !data || size >= needed;
        if (data && fits) data->assign(v->data.begin(), v->data.end());
        size = needed;
        return fits ? 0 : kMoreData;
    }
    long SetValue(const std::wstring& name, std::uint32_t type,
                  const std::vector<std::uint8_t>& data) override {
        if (long s = Check()) return s;
        if (key_->Refuses(name)) return kAccessDenied;
        if (FakeRegistry::Value* v = key_->Find(name))
            *v = {v->name, type, data};
        else
            key_->values.push_back({name, type, data});
        writes_.push_back({key_->path, name, type, data});
        return 0;
    }
    long DeleteValue(const std::wstring& name) override {
        if (long s = Check()) return s;
        if (key_->Refuses(name)) return kAccessDenied;
        auto& values = key_->values;
        const auto before = values.size();
        values.erase(std::remove_if(values.begin(), values.end(),
                                    [&](const auto& v) { return Folded(v.name) == Folded(name); }),
                     values.end());
        return values.size() < before ? 0 : kNotFound;
    }
    long EnumKey(std::uint32_t index, std::uint32_t maxChars, std::wstring& name) override {
        if (long s = Check()) return s;
        return Pick(subKeys_, index, maxChars, name);
    }
    long EnumValue(std::uint32_t index, std::uint32_t maxChars, std::wstring& name) override {
        if (long s = Check()) return s;
        std::vector<std::wstring> names;
        for (const auto& v : key_->values) names.push_back(v.name);
        return Pick(names, index, maxChars, name);
    }
    long QueryMaxValueNameLength(std::uint32_t& chars) override {
        if (long s = Check()) return s;
        chars = 0;
        for (const auto& v : key_->values)
            chars = std::max(chars, static_cast<std::uint32_t>(v.name.size()));
        return 0;
    }

  private:
    long Check() const { return failAll_ ? failAll_ : key_->deleted ? kKeyDeleted : 0; }
    static long Pick(const std::vector<std::wstring>& names, std::uint32_t index,
                     std::uint32_t maxChars, std::wstring& name) {
        if (index >= names.size()) return kNoMoreItems;
        if (names[index].size() + 1 > maxChars) return kMoreData;
        name = names[index];
        return 0;
    }

    std::shared_ptr<FakeRegistry::Key> key_;
    std::vector<std::wstring> subKeys_;
    std::vector<FakeRegistry::Write>& writes_;
    std::shared_ptr<int> open_;
    const long& failAll_;
};

}  // namespace

FakeRegistry::FakeRegistry() = default;
FakeRegistry::~FakeRegistry() = default;

FakeRegistry::Key* FakeRegistry::Find(std::uint32_t root, const std::wstring& path) const {
    const std::wstring full = FullPath(root, path);
    if (full.find(L'\\') == std::wstring::npos) {  // a root key always exists
        auto& self = const_cast<FakeRegistry&>(*this);
        return &self.Make(root, path);
    }
    auto it = keys_.find(Folded(full));
    return it == keys_.end() ? nullptr : it->second.get();
}

FakeRegistry::Key& FakeRegistry::Make(std::uint32_t root, const std::wstring& path) {
    const std::wstring full = FullPath(root, path);
    for (std::size_t at = full.find(L'\\', 9); at != std::wstring::npos;
         at = full.find(L'\\', at + 1))
        if (!keys_.count(Folded(full.substr(0, at)))) Make(root, full.substr(9, at - 9));
    auto& key = keys_[Folded(full)];
    if (!key) {
        key = std::make_shared<Key>();
        key->path = full;
        key->order = ++made_;
    }
    return *key;
}

long FakeRegistry::Hand(Key& key, std::unique_ptr<sysaccess::IRegistryKey>& out) {
    const std::wstring prefix = Folded(key.path) + L"\\";
    std::vector<const Key*> children;
    for (const auto& [folded, child] : keys_)
        if (folded.rfind(prefix, 0) == 0 && folded.find(L'\\', prefix.size()) == std::wstring::npos)
            children.push_back(child.get());
    std::sort(children.begin(), children.end(),
              [](const Key* a, const Key* b) { return a->order < b->order; });
    std::vector<std::wstring> names;
    for (const Key* child : children) names.push_back(child->path.substr(prefix.size()));
    out = std::make_unique<KeyHandle>(keys_[Folded(key.path)], names, writes, open_, failAll_);
    return 0;
}

long FakeRegistry::OpenKey(std::uint32_t root, const std::wstring& path, std::uint32_t,
                           std::unique_ptr<sysaccess::IRegistryKey>& key) {
    key.reset();
    if (failAll_) return failAll_;
    Key* found = Find(root, path);
    if (!found) return kNotFound;
    if (found->denied) return kAccessDenied;
    return Hand(*found, key);
}

long FakeRegistry::CreateKey(std::uint32_t root, const std::wstring& path, std::uint32_t,
                             std::unique_ptr<sysaccess::IRegistryKey>& key) {
    key.reset();
    if (failAll_) return failAll_;
    Key* found = Find(root, path);
    if (found && found->denied) return kAccessDenied;
    return Hand(found ? *found : Make(root, path), key);
}

long FakeRegistry::DeleteKey(std::uint32_t root, const std::wstring& path) {
    if (failAll_) return failAll_;
    Key* found = Find(root, path);
    if (!found) return kNotFound;
    const std::wstring folded = Folded(found->path);
    for (const auto& [name, key] : keys_)
        if (name.rfind(folded + L"\\", 0) == 0) return kAccessDenied;  // has sub-keys
    if (found->denied || found->refusedAll || folded.find(L'\\') == std::wstring::npos)
        return kAccessDenied;
    found->deleted = true;
    keys_.erase(folded);
    return 0;
}

std::wstring FakeRegistry::ExpandEnvironment(const std::wstring& text) {
    if (failAll_) return text;
    std::wstring out;
    std::size_t i = 0;
    for (std::size_t open, close; (open = text.find(L'%', i)) != std::wstring::npos &&
                                  (close = text.find(L'%', open + 1)) != std::wstring::npos;) {
        auto it = environment_.find(Folded(text.substr(open + 1, close - open - 1)));
        if (it != environment_.end()) {
            out += text.substr(i, open - i) + it->second;
            i = close + 1;
        } else {  // not a variable: keep the first sign, look again from the second
            out += text.substr(i, close - i);
            i = close;
        }
    }
    return out + text.substr(i);
}

void FakeRegistry::MakeKey(std::uint32_t root, const std::wstring& path) { Make(root, path); }

void FakeRegistry::SetRaw(std::uint32_t root, const std::wstring& path, const std::wstring& name,
                          std::uint32_t type, std::vector<std::uint8_t> data) {
    Key& key = Make(root, path);
    if (Value* v = key.Find(name))
        *v = {v->name, type, std::move(data)};
    else
        key.values.push_back({name, type, std::move(data)});
}

void FakeRegistry::SetString(std::uint32_t root, const std::wstring& path, const std::wstring& name,
                             const std::wstring& text, std::uint32_t type) {
    SetRaw(root, path, name, type, Utf16(text));
}

void FakeRegistry::SetDword(std::uint32_t root, const std::wstring& path, const std::wstring& name,
                            std::uint32_t value) {
    SetRaw(root, path, name, sysaccess::kRegDword,
           {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)});
}

void FakeRegistry::SetEnvironment(const std::wstring& name, const std::wstring& value) {
    environment_[Folded(name)] = value;
}

std::optional<FakeRegistry::Value> FakeRegistry::Get(std::uint32_t root, const std::wstring& path,
                                                     const std::wstring& name) const {
    Key* key = Find(root, path);
    Value* v = key ? key->Find(name) : nullptr;
    return v ? std::optional<Value>(*v) : std::nullopt;
}

std::optional<std::wstring> FakeRegistry::GetString(std::uint32_t root, const std::wstring& path,
                                                    const std::wstring& name) const {
    auto v = Get(root, path, name);
    if (!v) return std::nullopt;
    std::wstring text;
    for (std::size_t i = 0; i + 1 < v->data.size(); i += 2)
        text += static_cast<wchar_t>(v->data[i] | (v->data[i + 1] << 8));
    if (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

std::optional<std::uint32_t> FakeRegistry::GetDword(std::uint32_t root, const std::wstring& path,
                                                    const std::wstring& name) const {
    auto v = Get(root, path, name);
    if (!v || v->data.size() < 4) return std::nullopt;
    return v->data[0] | (std::uint32_t{v->data[1]} << 8) | (std::uint32_t{v->data[2]} << 16) |
           (std::uint32_t{v->data[3]} << 24);
}

void FakeRegistry::Deny(std::uint32_t root, const std::wstring& path) {
    Make(root, path).denied = true;
}

void FakeRegistry::Refuse(std::uint32_t root, const std::wstring& path,
                          std::optional<std::wstring> valueName) {
    Key& key = Make(root, path);
    if (valueName)
        key.refused.push_back(Folded(*valueName));
    else
        key.refusedAll = true;
}

}  // namespace fakes
