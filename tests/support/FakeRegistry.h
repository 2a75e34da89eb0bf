#pragma once
// An in-memory registry for native tests, behaving like the Win32 registry
// functions where cRegistry and its callers can tell:
//  - key and value names compare without regard to letter case, but keep the
//    case they were created with;
//  - sub-keys and values enumerate in the order they were added;
//  - an open key only allows what its access mask grants (query 0x1, set 0x2,
//    create sub-key 0x4, enumerate 0x8), returning 5 otherwise;
//  - a key with sub-keys cannot be deleted (5); missing keys and values give 2;
//    a deleted key's open handles give 1018.
// Seed and inspect it with the helpers below; make keys read-only or
// inaccessible, or make every call fail, to test failure paths. Open handles
// are counted so that tests can prove every key was closed.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sysaccess/IRegistryBackend.h"

namespace testing_support {

class FakeRegistry : public sysaccess::IRegistryBackend {
  public:
    struct StoredValue {
        std::wstring name;
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
    };
    struct Node;

    // A value written through the interface (seeding is not recorded).
    struct Write {
        std::uint32_t root;
        std::wstring path;
        std::wstring name;
        std::uint32_t type;
        std::vector<std::uint8_t> data;
    };

    FakeRegistry();
    ~FakeRegistry() override;

    // --- IRegistryBackend
    long OpenKey(std::uint32_t root, const std::wstring& path, std::uint32_t access,
                 std::unique_ptr<sysaccess::IRegistryKey>& key) override;
    long CreateKey(std::uint32_t root, const std::wstring& path, std::uint32_t access,
                   std::unique_ptr<sysaccess::IRegistryKey>& key) override;
    long DeleteKey(std::uint32_t root, const std::wstring& path) override;
    // Replaces %NAME% by the variable set with SetEnvironment (names without
    // regard to case); unknown references stay as they are.
    std::wstring ExpandEnvironment(const std::wstring& text) override;

    // --- seeding (parents are created as needed; no failure injection applies)
    void CreateKey(std::uint32_t root, const std::wstring& path);
    void SetRaw(std::uint32_t root, const std::wstring& path, const std::wstring& name,
                std::uint32_t type, const std::vector<std::uint8_t>& data);
    // REG_SZ (or the given string type) stored as UTF-16 with one NUL.
    void SetString(std::uint32_t root, const std::wstring& path, const std::wstring& name,
                   const std::wstring& text, std::uint32_t type = sysaccess::kRegSz);
    void SetDword(std::uint32_t root, const std::wstring& path, const std::wstring& name,
                  std::uint32_t value);
    void SetEnvironment(const std::wstring& name, const std::wstring& value);

    // --- inspection
    bool HasKey(std::uint32_t root, const std::wstring& path) const;
    bool HasValue(std::uint32_t root, const std::wstring& path, const std::wstring& name) const;
    std::optional<StoredValue> GetRaw(std::uint32_t root, const std::wstring& path,
                                      const std::wstring& name) const;
    // String data without its terminating NUL; nullopt when absent.
    std::optional<std::wstring> GetString(std::uint32_t root, const std::wstring& path,
                                          const std::wstring& name) const;
    // The first four bytes little-endian; nullopt when absent or shorter.
    std::optional<std::uint32_t> GetDword(std::uint32_t root, const std::wstring& path,
                                          const std::wstring& name) const;
    std::vector<std::wstring> SubKeyNames(std::uint32_t root, const std::wstring& path) const;
    std::vector<std::wstring> ValueNames(std::uint32_t root, const std::wstring& path) const;

    // --- failure injection
    // Opening the key (any access), creating below it or deleting it gives 5.
    void DenyAccess(std::uint32_t root, const std::wstring& path, bool deny = true);
    // Reading works; any access with write rights (set value, create sub-key,
    // create link, delete) and deleting the key give 5.
    void MakeReadOnly(std::uint32_t root, const std::wstring& path, bool readOnly = true);
    // Every call of the interface returns this status (0 switches it off);
    // ExpandEnvironment returns its input unchanged.
    void FailEverything(long status) { failAll_ = status; }
    // Keys open and are created as usual, but storing or deleting a value
    // through an open key returns this status (0 switches it off).
    void FailValueWrites(long status) { failWrites_ = status; }

    // --- bookkeeping
    int OpenHandles() const { return *openHandles_; }
    int openCalls = 0;
    std::vector<Write> writes;

  private:
    Node* Root(std::uint32_t root) const;
    Node* Find(std::uint32_t root, const std::wstring& path) const;
    Node* FindOrCreate(std::uint32_t root, const std::wstring& path);

    std::map<std::uint32_t, std::shared_ptr<Node>> roots_;
    std::map<std::wstring, std::wstring> environment_;  // folded name -> value
    std::shared_ptr<int> openHandles_ = std::make_shared<int>(0);
    long failAll_ = 0;
    long failWrites_ = 0;
};

}  // namespace testing_support
