#include "win32/Win32Registry.h"

#include <vector>

namespace win32 {

namespace {

class Win32RegistryKey : public sysaccess::IRegistryKey {
  public:
    explicit Win32RegistryKey(RegistryKeyHandle key) : key_(std::move(key)) {}

    long QueryValue(const std::wstring& name, std::uint32_t& type, std::vector<std::uint8_t>* data,
                    std::uint32_t& size) override {
        DWORD valueType = 0;
        DWORD bytes = data ? static_cast<DWORD>(size) : 0;
        if (data && data->size() < bytes) data->resize(bytes);
        const LONG status = ::RegQueryValueExW(key_.get(), name.c_str(), nullptr, &valueType,
                                               data && bytes ? data->data() : nullptr, &bytes);
        if (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
            type = valueType;
            size = bytes;
        }
        if (status == ERROR_SUCCESS && data) data->resize(bytes);
        return status;
    }

    long SetValue(const std::wstring& name, std::uint32_t type,
                  const std::vector<std::uint8_t>& data) override {
        return ::RegSetValueExW(key_.get(), name.c_str(), 0, type,
                                data.empty() ? nullptr : data.data(),
                                static_cast<DWORD>(data.size()));
    }

    long DeleteValue(const std::wstring& name) override {
        return ::RegDeleteValueW(key_.get(), name.c_str());
    }

    long EnumKey(std::uint32_t index, std::uint32_t maxChars, std::wstring& name) override {
        std::vector<wchar_t> buffer(maxChars + 1, L'\0');
        DWORD chars = maxChars;
        const LONG status = ::RegEnumKeyExW(key_.get(), index, buffer.data(), &chars, nullptr,
                                            nullptr, nullptr, nullptr);
        if (status == ERROR_SUCCESS) name.assign(buffer.data(), chars);
        return status;
    }

    long EnumValue(std::uint32_t index, std::uint32_t maxChars, std::wstring& name) override {
        std::vector<wchar_t> buffer(maxChars + 1, L'\0');
        DWORD chars = maxChars;
        const LONG status = ::RegEnumValueW(key_.get(), index, buffer.data(), &chars, nullptr,
                                            nullptr, nullptr, nullptr);
        if (status == ERROR_SUCCESS) name.assign(buffer.data(), chars);
        return status;
    }

    long QueryMaxValueNameLength(std::uint32_t& chars) override {
        DWORD longest = 0;
        const LONG status =
            ::RegQueryInfoKeyW(key_.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, &longest, nullptr, nullptr, nullptr);
        if (status == ERROR_SUCCESS) chars = longest;
        return status;
    }

  private:
    RegistryKeyHandle key_;
};

}  // namespace

HKEY RootKeyHandle(std::uint32_t root) {
    return reinterpret_cast<HKEY>(
        static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(root))));
}

long Win32RegistryBackend::OpenKey(std::uint32_t root, const std::wstring& path,
                                   std::uint32_t access,
                                   std::unique_ptr<sysaccess::IRegistryKey>& key) {
    key.reset();
    RegistryKeyHandle handle;
    const LONG status = ::RegOpenKeyExW(RootKeyHandle(root), path.c_str(), 0, access, handle.out());
    if (status == ERROR_SUCCESS) key = std::make_unique<Win32RegistryKey>(std::move(handle));
    return status;
}

long Win32RegistryBackend::CreateKey(std::uint32_t root, const std::wstring& path,
                                     std::uint32_t access,
                                     std::unique_ptr<sysaccess::IRegistryKey>& key) {
    key.reset();
    RegistryKeyHandle handle;
    DWORD disposition = 0;
    const LONG status =
        ::RegCreateKeyExW(RootKeyHandle(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          access, nullptr, handle.out(), &disposition);
    if (status == ERROR_SUCCESS) key = std::make_unique<Win32RegistryKey>(std::move(handle));
    return status;
}

long Win32RegistryBackend::DeleteKey(std::uint32_t root, const std::wstring& path) {
    // An empty path would name the root itself, which is never deleted.
    if (path.empty()) return ERROR_ACCESS_DENIED;
    return ::RegDeleteKeyW(RootKeyHandle(root), path.c_str());
}

std::wstring Win32RegistryBackend::ExpandEnvironment(const std::wstring& text) {
    const DWORD needed = ::ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (needed == 0) return text;
    std::vector<wchar_t> buffer(needed + 1, L'\0');
    const DWORD written = ::ExpandEnvironmentStringsW(text.c_str(), buffer.data(), needed);
    if (written == 0 || written > needed) return text;
    // The count includes the terminating NUL.
    return std::wstring(buffer.data(), written - 1);
}

}  // namespace win32
