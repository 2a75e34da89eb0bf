#include "tests/support/FakeRegistry.h"

#include <algorithm>
#include <cwctype>

namespace testing_support {

namespace {

constexpr long kSuccess = 0;
constexpr long kNotFound = 2;
constexpr long kInvalidHandle = 6;
constexpr long kAccessDenied = 5;
constexpr long kMoreData = 234;
constexpr long kNoMoreItems = 259;
constexpr long kKeyDeleted = 1018;

constexpr std::uint32_t kQueryValue = 0x0001;
constexpr std::uint32_t kSetValue = 0x0002;
constexpr std::uint32_t kCreateSubKey = 0x0004;
constexpr std::uint32_t kEnumerateSubKeys = 0x0008;
constexpr std::uint32_t kWriteRights = kSetValue | kCreateSubKey | 0x0020 /* create link */ |
                                       0x10000 /* delete */ | 0x40000 /* write DAC */ |
                                       0x80000 /* write owner */;

// Letter case folding close enough to the registry's own: ASCII, Latin-1,
// Greek and Cyrillic, and whatever the C library knows beyond that.
wchar_t Fold(wchar_t c) {
    if (c >= L'a' && c <= L'z') return static_cast<wchar_t>(c - 32);
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F))
        return static_cast<wchar_t>(c - 32);
    if (c >= 0x450 && c <= 0x45F) return static_cast<wchar_t>(c - 80);
    return static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
}

std::wstring Folded(const std::wstring& s) {
    std::wstring f(s);
    std::transform(f.begin(), f.end(), f.begin(), Fold);
    return f;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && Folded(a) == Folded(b);
}

std::vector<std::wstring> SplitPath(const std::wstring& path) {
    std::vector<std::wstring> parts;
    std::wstring current;
    for (wchar_t c : path) {
        if (c == L'\\') {
            if (!current.empty()) parts.push_back(current);
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    if (!current.empty()) parts.push_back(current);
    return parts;
}

std::wstring TextFromUtf16(const std::vector<std::uint8_t>& data) {
    std::wstring text;
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
        const std::uint32_t unit = data[i] | (std::uint32_t{data[i + 1]} << 8);
        if constexpr (sizeof(wchar_t) == 4) {
            if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < data.size()) {
                const std::uint32_t low = data[i + 2] | (std::uint32_t{data[i + 3]} << 8);
                if (low >= 0xDC00 && low < 0xE000) {
                    text.push_back(
                        static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
                    i += 2;
                    continue;
                }
            }
        }
        text.push_back(static_cast<wchar_t>(unit));
    }
    return text;
}

std::vector<std::uint8_t> Utf16WithNul(const std::wstring& text) {
    std::vector<std::uint8_t> bytes;
    auto put = [&bytes](std::uint32_t unit) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((unit >> 8) & 0xFF));
    };
    for (wchar_t c : text) {
        const auto cp = static_cast<std::uint32_t>(c);
        if (cp > 0xFFFF) {
            put(0xD800 | ((cp - 0x10000) >> 10));
            put(0xDC00 | ((cp - 0x10000) & 0x3FF));
        } else {
            put(cp);
        }
    }
    put(0);
    return bytes;
}

}  // namespace

struct FakeRegistry::Node {
    std::uint32_t root = 0;
    std::wstring name;
    Node* parent = nullptr;
    std::vector<std::shared_ptr<Node>> children;
    std::vector<StoredValue> values;
    bool denied = false;
    bool readOnly = false;
    bool deleted = false;

    Node* Child(const std::wstring& childName) const {
        for (const auto& c : children)
            if (SameName(c->name, childName)) return c.get();
        return nullptr;
    }
    StoredValue* Value(const std::wstring& valueName) {
        for (auto& v : values)
            if (SameName(v.name, valueName)) return &v;
        return nullptr;
    }
    std::wstring Path() const {
        if (!parent) return {};
        const std::wstring up = parent->Path();
        return up.empty() ? name : up + L"\\" + name;
    }
};

namespace {

class FakeKey : public sysaccess::IRegistryKey {
  public:
    FakeKey(std::shared_ptr<FakeRegistry::Node> node, std::uint32_t access, const long& failAll,
            const long& failWrites, std::vector<FakeRegistry::Write>& writes,
            std::shared_ptr<int> openHandles)
        : node_(std::move(node)),
          access_(access),
          failAll_(failAll),
          failWrites_(failWrites),
          writes_(writes),
          openHandles_(std::move(openHandles)) {
        ++*openHandles_;
    }
    ~FakeKey() override { --*openHandles_; }

    long QueryValue(const std::wstring& name, std::uint32_t& type, std::vector<std::uint8_t>* data,
                    std::uint32_t& size) override {
        if (long s = Check(kQueryValue)) return s;
        FakeRegistry::StoredValue* v = node_->Value(name);
        if (!v) return kNotFound;
        type = v->type;
        const auto needed = static_cast<std::uint32_t>(v->data.size());
        if (!data) {
            size = needed;
            return kSuccess;
        }
        if (size < needed) {
            size = needed;
            return kMoreData;
        }
        data->assign(v->data.begin(), v->data.end());
        size = needed;
        return kSuccess;
    }

    long SetValue(const std::wstring& name, std::uint32_t type,
                  const std::vector<std::uint8_t>& data) override {
        if (long s = Check(kSetValue)) return s;
        if (failWrites_) return failWrites_;
        FakeRegistry::StoredValue* v = node_->Value(name);
        if (v) {
            v->type = type;
            v->data = data;
        } else {
            node_->values.push_back({name, type, data});
        }
        writes_.push_back({node_->root, node_->Path(), name, type, data});
        return kSuccess;
    }

    long DeleteValue(const std::wstring& name) override {
        if (long s = Check(kSetValue)) return s;
        if (failWrites_) return failWrites_;
        auto& values = node_->values;
        auto it = std::find_if(values.begin(), values.end(),
                               [&](const auto& v) { return SameName(v.name, name); });
        if (it == values.end()) return kNotFound;
        values.erase(it);
        return kSuccess;
    }

    long EnumKey(std::uint32_t index, std::uint32_t maxChars, std::wstring& name) override {
        if (long s = Check(kEnumerateSubKeys)) return s;
        if (index >= node_->children.size()) return kNoMoreItems;
        const std::wstring& found = node_->children[index]->name;
        if (found.size() + 1 > maxChars) return kMoreData;
        name = found;
        return kSuccess;
    }

    long EnumValue(std::uint32_t index, std::uint32_t maxChars, std::wstring& name) override {
        if (long s = Check(kQueryValue)) return s;
        if (index >= node_->values.size()) return kNoMoreItems;
        const std::wstring& found = node_->values[index].name;
        if (found.size() + 1 > maxChars) return kMoreData;
        name = found;
        return kSuccess;
    }

    long QueryMaxValueNameLength(std::uint32_t& chars) override {
        if (long s = Check(kQueryValue)) return s;
        chars = 0;
        for (const auto& v : node_->values)
            chars = std::max(chars, static_cast<std::uint32_t>(v.name.size()));
        return kSuccess;
    }

  private:
    long Check(std::uint32_t right) const {
        if (failAll_) return failAll_;
        if (node_->deleted) return kKeyDeleted;
        if ((access_ & right) == 0) return kAccessDenied;
        return kSuccess;
    }

    std::shared_ptr<FakeRegistry::Node> node_;
    std::uint32_t access_;
    const long& failAll_;
    const long& failWrites_;
    std::vector<FakeRegistry::Write>& writes_;
    std::shared_ptr<int> openHandles_;
};

std::shared_ptr<FakeRegistry::Node> Shared(FakeRegistry::Node* node) {
    // Nodes are owned by their parent's list (roots by the registry); find the
    // owning pointer so that a handle keeps a deleted key's data alive.
    if (!node->parent) return nullptr;
    for (const auto& c : node->parent->children)
        if (c.get() == node) return c;
    return nullptr;
}

}  // namespace

FakeRegistry::FakeRegistry() {
    for (std::uint32_t root : {sysaccess::kHkeyClassesRoot, sysaccess::kHkeyCurrentUser,
                               sysaccess::kHkeyLocalMachine, sysaccess::kHkeyUsers}) {
        auto node = std::make_shared<Node>();
        node->root = root;
        roots_[root] = node;
    }
}

FakeRegistry::~FakeRegistry() = default;

FakeRegistry::Node* FakeRegistry::Root(std::uint32_t root) const {
    auto it = roots_.find(root);
    return it == roots_.end() ? nullptr : it->second.get();
}

FakeRegistry::Node* FakeRegistry::Find(std::uint32_t root, const std::wstring& path) const {
    Node* node = Root(root);
    for (const auto& part : SplitPath(path)) {
        if (!node) return nullptr;
        node = node->Child(part);
    }
    return node;
}

FakeRegistry::Node* FakeRegistry::FindOrCreate(std::uint32_t root, const std::wstring& path) {
    Node* node = Root(root);
    if (!node) return nullptr;
    for (const auto& part : SplitPath(path)) {
        Node* child = node->Child(part);
        if (!child) {
            auto created = std::make_shared<Node>();
            created->root = root;
            created->name = part;
            created->parent = node;
            child = created.get();
            node->children.push_back(std::move(created));
        }
        node = child;
    }
    return node;
}

long FakeRegistry::OpenKey(std::uint32_t root, const std::wstring& path, std::uint32_t access,
                           std::unique_ptr<sysaccess::IRegistryKey>& key) {
    ++openCalls;
    key.reset();
    if (failAll_) return failAll_;
    if (!Root(root)) return kInvalidHandle;
    Node* node = Find(root, path);
    if (!node) return kNotFound;
    if (node->denied) return kAccessDenied;
    if (node->readOnly && (access & kWriteRights)) return kAccessDenied;
    std::shared_ptr<Node> shared = node->parent ? Shared(node) : roots_.at(root);
    key = std::make_unique<FakeKey>(shared, access, failAll_, failWrites_, writes, openHandles_);
    return kSuccess;
}

long FakeRegistry::CreateKey(std::uint32_t root, const std::wstring& path, std::uint32_t access,
                             std::unique_ptr<sysaccess::IRegistryKey>& key) {
    ++openCalls;
    key.reset();
    if (failAll_) return failAll_;
    Node* node = Root(root);
    if (!node) return kInvalidHandle;
    for (const auto& part : SplitPath(path)) {
        if (node->denied) return kAccessDenied;
        Node* child = node->Child(part);
        if (!child) {
            if (node->readOnly) return kAccessDenied;
            auto created = std::make_shared<Node>();
            created->root = root;
            created->name = part;
            created->parent = node;
            child = created.get();
            node->children.push_back(std::move(created));
        }
        node = child;
    }
    if (node->denied) return kAccessDenied;
    if (node->readOnly && (access & kWriteRights)) return kAccessDenied;
    std::shared_ptr<Node> shared = node->parent ? Shared(node) : roots_.at(root);
    key = std::make_unique<FakeKey>(shared, access, failAll_, failWrites_, writes, openHandles_);
    return kSuccess;
}

long FakeRegistry::DeleteKey(std::uint32_t root, const std::wstring& path) {
    if (failAll_) return failAll_;
    if (!Root(root)) return kInvalidHandle;
    Node* node = Find(root, path);
    if (!node) return kNotFound;
    if (!node->parent || node->denied || node->readOnly || !node->children.empty())
        return kAccessDenied;
    node->deleted = true;
    auto& siblings = node->parent->children;
    siblings.erase(std::remove_if(siblings.begin(), siblings.end(),
                                  [node](const auto& c) { return c.get() == node; }),
                   siblings.end());
    return kSuccess;
}

std::wstring FakeRegistry::ExpandEnvironment(const std::wstring& text) {
    if (failAll_) return text;
    std::wstring out;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t open = text.find(L'%', i);
        if (open == std::wstring::npos) break;
        const std::size_t close = text.find(L'%', open + 1);
        if (close == std::wstring::npos) break;
        auto it = environment_.find(Folded(text.substr(open + 1, close - open - 1)));
        if (it != environment_.end() && close > open + 1) {
            out += text.substr(i, open - i) + it->second;
            i = close + 1;
        } else {
            // Not a variable: keep the first sign and look again from the second.
            out += text.substr(i, close - i);
            i = close;
        }
    }
    out += text.substr(i);
    return out;
}

void FakeRegistry::CreateKey(std::uint32_t root, const std::wstring& path) {
    FindOrCreate(root, path);
}

void FakeRegistry::SetRaw(std::uint32_t root, const std::wstring& path, const std::wstring& name,
                          std::uint32_t type, const std::vector<std::uint8_t>& data) {
    Node* node = FindOrCreate(root, path);
    if (!node) return;
    if (StoredValue* v = node->Value(name)) {
        v->type = type;
        v->data = data;
    } else {
        node->values.push_back({name, type, data});
    }
}

void FakeRegistry::SetString(std::uint32_t root, const std::wstring& path, const std::wstring& name,
                             const std::wstring& text, std::uint32_t type) {
    SetRaw(root, path, name, type, Utf16WithNul(text));
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

bool FakeRegistry::HasKey(std::uint32_t root, const std::wstring& path) const {
    return Find(root, path) != nullptr;
}

bool FakeRegistry::HasValue(std::uint32_t root, const std::wstring& path,
                            const std::wstring& name) const {
    return GetRaw(root, path, name).has_value();
}

std::optional<FakeRegistry::StoredValue> FakeRegistry::GetRaw(std::uint32_t root,
                                                              const std::wstring& path,
                                                              const std::wstring& name) const {
    Node* node = Find(root, path);
    if (!node) return std::nullopt;
    if (StoredValue* v = node->Value(name)) return *v;
    return std::nullopt;
}

std::optional<std::wstring> FakeRegistry::GetString(std::uint32_t root, const std::wstring& path,
                                                    const std::wstring& name) const {
    auto v = GetRaw(root, path, name);
    if (!v) return std::nullopt;
    std::wstring text = TextFromUtf16(v->data);
    if (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

std::optional<std::uint32_t> FakeRegistry::GetDword(std::uint32_t root, const std::wstring& path,
                                                    const std::wstring& name) const {
    auto v = GetRaw(root, path, name);
    if (!v || v->data.size() < 4) return std::nullopt;
    return v->data[0] | (std::uint32_t{v->data[1]} << 8) | (std::uint32_t{v->data[2]} << 16) |
           (std::uint32_t{v->data[3]} << 24);
}

std::vector<std::wstring> FakeRegistry::SubKeyNames(std::uint32_t root,
                                                    const std::wstring& path) const {
    std::vector<std::wstring> names;
    if (Node* node = Find(root, path))
        for (const auto& c : node->children) names.push_back(c->name);
    return names;
}

std::vector<std::wstring> FakeRegistry::ValueNames(std::uint32_t root,
                                                   const std::wstring& path) const {
    std::vector<std::wstring> names;
    if (Node* node = Find(root, path))
        for (const auto& v : node->values) names.push_back(v.name);
    return names;
}

void FakeRegistry::DenyAccess(std::uint32_t root, const std::wstring& path, bool deny) {
    if (Node* node = FindOrCreate(root, path)) node->denied = deny;
}

void FakeRegistry::MakeReadOnly(std::uint32_t root, const std::wstring& path, bool readOnly) {
    if (Node* node = FindOrCreate(root, path)) node->readOnly = readOnly;
}

}  // namespace testing_support
