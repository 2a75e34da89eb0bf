#pragma once
// An in-memory registry behind sysaccess::IRegistryBackend, as the Win32 registry behaves where a
// window can tell: names compare without regard to letter case; sub-keys enumerate in the order
// they were made; missing keys and values give 2, refused ones 5. Every value written through the
// interface is also recorded, in order, in `writes`. Nothing is ever deleted or listed by value
// name: no window does either, and the real registry is checked for them under Wine.
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "sysaccess/IRegistryBackend.h"
#include "sysaccess/TextCase.h"
#include "sysaccess/cRegistry.h"

namespace fakes {

class FakeRegistry : public sysaccess::IRegistryBackend {
  public:
    struct Value {
        std::wstring name;
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
    };
    struct Write {
        std::wstring path;  // root key in hex, backslash, key path: "80000002\SYSTEM\..."
        std::wstring name;
        std::uint32_t type;
    };

    long OpenKey(std::uint32_t root, const std::wstring& path, std::uint32_t,
                 std::unique_ptr<sysaccess::IRegistryKey>& key) override {
        return Hand(Find(Full(root, path)), key);
    }
    long CreateKey(std::uint32_t root, const std::wstring& path, std::uint32_t,
                   std::unique_ptr<sysaccess::IRegistryKey>& key) override {
        return Hand(failAll_ ? nullptr : &Make(Full(root, path)), key);
    }
    long DeleteKey(std::uint32_t, const std::wstring&) override { return failAll_ ? failAll_ : 5; }
    // Each %NAME% of `environment` becomes its value; other text stays as it is.
    std::wstring ExpandEnvironment(const std::wstring& text) override {
        std::wstring out = text;
        for (const auto& [name, value] : environment)
            for (auto at = out.find(L"%" + name + L"%"); at != std::wstring::npos;
                 at = out.find(L"%" + name + L"%", at + value.size()))
                out.replace(at, name.size() + 2, value);
        return out;
    }
    std::map<std::wstring, std::wstring> environment;

    // Seeding (keys above are made as needed) and reading back.
    void MakeKey(std::uint32_t root, const std::wstring& path) { Make(Full(root, path)); }
    void SetRaw(std::uint32_t root, const std::wstring& path, const std::wstring& name,
                std::uint32_t type, std::vector<std::uint8_t> data) {
        Make(Full(root, path)).Put({name, type, std::move(data)});
    }
    void SetString(std::uint32_t root, const std::wstring& path, const std::wstring& name,
                   const std::wstring& text, std::uint32_t type = sysaccess::kRegSz) {
        SetRaw(root, path, name, type, sysaccess::RegistryStringBytes(text));
    }
    void SetDword(std::uint32_t root, const std::wstring& path, const std::wstring& name,
                  std::uint32_t v) {
        SetRaw(
            root, path, name, sysaccess::kRegDword,
            {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)});
    }
    std::optional<Value> Get(std::uint32_t root, const std::wstring& path,
                             const std::wstring& name) {
        Key* key = Find(Full(root, path));
        Value* v = key ? key->Find(name) : nullptr;
        return v ? std::optional<Value>(*v) : std::nullopt;
    }
    // The text up to its first NUL, and the little-endian number of four bytes.
    std::optional<std::wstring> GetString(std::uint32_t root, const std::wstring& path,
                                          const std::wstring& name) {
        const auto v = Get(root, path, name);
        if (!v) return std::nullopt;
        return std::wstring(sysaccess::RegistryBytesToText(v->data).c_str());
    }
    std::optional<std::uint32_t> GetDword(std::uint32_t root, const std::wstring& path,
                                          const std::wstring& name) {
        auto v = Get(root, path, name);
        if (!v || v->data.size() != 4) return std::nullopt;
        return std::uint32_t{v->data[3]} << 24 | v->data[2] << 16 | v->data[1] << 8 | v->data[0];
    }

    // Failures. Deny: opening or making the key gives 5. Refuse: the key reads
    // as usual, but writing the value (any value when the name is omitted)
    // gives 5. FailEverything: every call returns the status (0 ends it).
    void Deny(std::uint32_t root, const std::wstring& path) {
        Make(Full(root, path)).denied = true;
    }
    void Refuse(std::uint32_t root, const std::wstring& path,
                std::optional<std::wstring> valueName = std::nullopt) {
        Make(Full(root, path)).refused.push_back(std::move(valueName));
    }
    void FailEverything(long status) { failAll_ = status; }

    std::vector<Write> writes;
    int OpenKeys() const { return open_; }

  private:
    struct Key {
        std::wstring path;  // as in Write
        std::vector<Value> values;
        bool denied = false;
        std::vector<std::optional<std::wstring>> refused;  // nullopt: every value
        std::vector<std::wstring> children;                // sub-key names, in the order made

        Value* Find(const std::wstring& name) {
            for (Value& v : values)
                if (sysaccess::EqualsIgnoreCase(v.name, name)) return &v;
            return nullptr;
        }
        void Put(Value value) {
            Value* v = Find(value.name);
            (v ? *v : values.emplace_back()) = std::move(value);
        }
    };
    // An open key.
    class Handle : public sysaccess::IRegistryKey {
      public:
        Handle(FakeRegistry& r, Key& key) : registry_(r), key_(key) { ++r.open_; }
        ~Handle() override { --registry_.open_; }

        long QueryValue(const std::wstring& name, std::uint32_t& type,
                        std::vector<std::uint8_t>* data, std::uint32_t& size) override {
            const Value* v = key_.Find(name);
            if (!v) return 2;
            type = v->type;
            size = static_cast<std::uint32_t>(v->data.size());
            if (data) *data = v->data;
            return 0;
        }
        long SetValue(const std::wstring& name, std::uint32_t type,
                      const std::vector<std::uint8_t>& data) override {
            for (const auto& refused : key_.refused)
                if (!refused || sysaccess::EqualsIgnoreCase(*refused, name)) return 5;
            key_.Put({name, type, data});
            registry_.writes.push_back({key_.path, name, type});
            return 0;
        }
        long DeleteValue(const std::wstring&) override { return 5; }
        long EnumKey(std::uint32_t index, std::uint32_t maxChars, std::wstring& name) override {
            if (index >= key_.children.size()) return 259;            // no more items
            if (key_.children[index].size() >= maxChars) return 234;  // the name does not fit
            name = key_.children[index];
            return 0;
        }
        long EnumValue(std::uint32_t, std::uint32_t, std::wstring&) override { return 259; }
        long QueryMaxValueNameLength(std::uint32_t& chars) override { return chars = 0; }

      private:
        FakeRegistry& registry_;
        Key& key_;
    };

    static std::wstring Full(std::uint32_t root, const std::wstring& path) {
        std::wostringstream full;
        full << std::hex << std::uppercase << root << L"\\" << path;
        return full.str();
    }
    Key* Find(const std::wstring& full) {
        for (Key& key : keys_)
            if (sysaccess::EqualsIgnoreCase(key.path, full)) return &key;
        return nullptr;
    }
    // Parents are made first, so that sub-keys list in the order they were made.
    Key& Make(const std::wstring& full) {
        if (Key* found = Find(full)) return *found;
        const std::size_t parent = full.rfind(L'\\');
        if (full.find(L'\\') < parent)
            Make(full.substr(0, parent)).children.push_back(full.substr(parent + 1));
        Key& made = keys_.emplace_back();
        made.path = full;
        return made;
    }
    long Hand(Key* key, std::unique_ptr<sysaccess::IRegistryKey>& out) {
        out.reset();
        if (failAll_ || !key || key->denied) return failAll_ ? failAll_ : key ? 5 : 2;
        out = std::make_unique<Handle>(*this, *key);
        return 0;
    }

    std::deque<Key> keys_;  // in the order they were made
    long failAll_ = 0;
    int open_ = 0;
};

}  // namespace fakes
