#pragma once
// An in-memory registry behind sysaccess::IRegistryBackend, as the Win32
// registry behaves where a window can tell: key and value names compare
// without regard to letter case; sub-keys and values enumerate in the order
// they were made; missing keys and values give 2, refused ones 5. Every value
// written through the interface is also recorded, in order, in `writes`.
// Keys and values are never deleted: no window deletes one, and what the real
// registry does then is checked on the real registry.
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sysaccess/IRegistryBackend.h"

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
        std::vector<std::uint8_t> data;
    };

    long OpenKey(std::uint32_t root, const std::wstring& path, std::uint32_t access,
                 std::unique_ptr<sysaccess::IRegistryKey>& key) override;
    long CreateKey(std::uint32_t root, const std::wstring& path, std::uint32_t access,
                   std::unique_ptr<sysaccess::IRegistryKey>& key) override;
    long DeleteKey(std::uint32_t, const std::wstring&) override { return failAll_ ? failAll_ : 5; }
    // Each %NAME% of `environment` becomes its value; other text stays as it is.
    std::wstring ExpandEnvironment(const std::wstring& text) override;
    std::map<std::wstring, std::wstring> environment;

    // Seeding (keys above are made as needed) and reading back.
    void MakeKey(std::uint32_t root, const std::wstring& path) { Make(Full(root, path)); }
    void SetRaw(std::uint32_t root, const std::wstring& path, const std::wstring& name,
                std::uint32_t type, std::vector<std::uint8_t> data);
    void SetString(std::uint32_t root, const std::wstring& path, const std::wstring& name,
                   const std::wstring& text, std::uint32_t type = sysaccess::kRegSz);
    void SetDword(std::uint32_t root, const std::wstring& path, const std::wstring& name,
                  std::uint32_t value);
    std::optional<Value> Get(std::uint32_t root, const std::wstring& path,
                             const std::wstring& name);
    std::optional<std::wstring> GetString(std::uint32_t root, const std::wstring& path,
                                          const std::wstring& name);
    std::optional<std::uint32_t> GetDword(std::uint32_t root, const std::wstring& path,
                                          const std::wstring& name);

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
        Value* Find(const std::wstring& name);
    };
    class Handle;

    static std::wstring Full(std::uint32_t root, const std::wstring& path);
    Key* Find(const std::wstring& full);
    Key& Make(const std::wstring& full);
    void SetRaw(Key& key, const std::wstring& name, std::uint32_t type,
                std::vector<std::uint8_t> data);
    long Hand(Key* key, std::unique_ptr<sysaccess::IRegistryKey>& out);

    std::deque<Key> keys_;  // in the order they were made
    long failAll_ = 0;
    int open_ = 0;
};

}  // namespace fakes
