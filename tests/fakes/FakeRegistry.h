#pragma once
// An in-memory registry behind sysaccess::IRegistryBackend, as the Win32
// registry behaves where the program can tell: key and value names compare
// without regard to letter case and keep the case they were made with;
// sub-keys and values enumerate in the order they were made; missing keys and
// values give 2, refused ones 5. Every value written through the interface is
// also recorded, in order, in `writes`.
#include <cstdint>
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
    struct Key;

    FakeRegistry();
    ~FakeRegistry() override;

    long OpenKey(std::uint32_t root, const std::wstring& path, std::uint32_t access,
                 std::unique_ptr<sysaccess::IRegistryKey>& key) override;
    long CreateKey(std::uint32_t root, const std::wstring& path, std::uint32_t access,
                   std::unique_ptr<sysaccess::IRegistryKey>& key) override;
    long DeleteKey(std::uint32_t root, const std::wstring& path) override;
    // %NAME% of the variables given to SetEnvironment; others stay as they are.
    std::wstring ExpandEnvironment(const std::wstring& text) override;

    // Seeding (keys above are made as needed) and reading back.
    void MakeKey(std::uint32_t root, const std::wstring& path);
    void SetRaw(std::uint32_t root, const std::wstring& path, const std::wstring& name,
                std::uint32_t type, std::vector<std::uint8_t> data);
    void SetString(std::uint32_t root, const std::wstring& path, const std::wstring& name,
                   const std::wstring& text, std::uint32_t type = sysaccess::kRegSz);
    void SetDword(std::uint32_t root, const std::wstring& path, const std::wstring& name,
                  std::uint32_t value);
    void SetEnvironment(const std::wstring& name, const std::wstring& value);
    std::optional<Value> Get(std::uint32_t root, const std::wstring& path,
                             const std::wstring& name) const;
    std::optional<std::wstring> GetString(std::uint32_t root, const std::wstring& path,
                                          const std::wstring& name) const;
    std::optional<std::uint32_t> GetDword(std::uint32_t root, const std::wstring& path,
                                          const std::wstring& name) const;

    // Failures. Deny: opening or making the key gives 5. Refuse: the key reads
    // as usual, but writing the value (any value when the name is omitted)
    // gives 5. FailEverything: every call returns the status (0 ends it).
    void Deny(std::uint32_t root, const std::wstring& path);
    void Refuse(std::uint32_t root, const std::wstring& path,
                std::optional<std::wstring> valueName = std::nullopt);
    void FailEverything(long status) { failAll_ = status; }

    std::vector<Write> writes;
    int OpenKeys() const { return *open_; }

  private:
    Key* Find(std::uint32_t root, const std::wstring& path) const;
    Key& Make(std::uint32_t root, const std::wstring& path);
    long Hand(Key& key, std::unique_ptr<sysaccess::IRegistryKey>& out);

    std::map<std::wstring, std::shared_ptr<Key>> keys_;  // by folded full path
    std::map<std::wstring, std::wstring> environment_;   // folded name -> value
    std::shared_ptr<int> open_ = std::make_shared<int>(0);
    long failAll_ = 0;
    int made_ = 0;
};

}  // namespace fakes
