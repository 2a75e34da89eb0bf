#pragma once
// The registry backend of the program: the wide-character advapi32 registry
// functions, with every opened key owned by a RegistryKeyHandle.
#include <windows.h>

#include "sysaccess/IRegistryBackend.h"

namespace win32 {

// Owns an open registry key and closes it exactly once.
class RegistryKeyHandle {
  public:
    RegistryKeyHandle() = default;
    explicit RegistryKeyHandle(HKEY key) : key_(key) {}
    ~RegistryKeyHandle() { reset(); }
    RegistryKeyHandle(RegistryKeyHandle&& other) noexcept : key_(other.release()) {}
    RegistryKeyHandle& operator=(RegistryKeyHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    RegistryKeyHandle(const RegistryKeyHandle&) = delete;
    RegistryKeyHandle& operator=(const RegistryKeyHandle&) = delete;

    HKEY get() const { return key_; }
    HKEY* out() {
        reset();
        return &key_;
    }
    HKEY release() {
        HKEY k = key_;
        key_ = nullptr;
        return k;
    }
    void reset(HKEY key = nullptr) {
        if (key_) ::RegCloseKey(key_);
        key_ = key;
    }

  private:
    HKEY key_ = nullptr;
};

// The predefined root handle for a root key number such as 0x80000002
// (sign-extended, as the system defines the predefined handles).
HKEY RootKeyHandle(std::uint32_t root);

class Win32RegistryBackend : public sysaccess::IRegistryBackend {
  public:
    long OpenKey(std::uint32_t root, const std::wstring& path, std::uint32_t access,
                 std::unique_ptr<sysaccess::IRegistryKey>& key) override;
    long CreateKey(std::uint32_t root, const std::wstring& path, std::uint32_t access,
                   std::unique_ptr<sysaccess::IRegistryKey>& key) override;
    long DeleteKey(std::uint32_t root, const std::wstring& path) override;
    std::wstring ExpandEnvironment(const std::wstring& text) override;
};

}  // namespace win32
