#pragma once
// accounts::INetApi through netapi32: one API call per method, the names
// copied out of the returned buffer and the buffer released on every path.
#include "accounts/INetApi.h"

namespace win32 {

class Win32NetApi : public accounts::INetApi {
  public:
    accounts::NamePage UserEnum(const std::wstring& server, std::uint32_t filter,
                                std::uint32_t preferredMaxLength,
                                std::uintptr_t& resumeHandle) override;
    accounts::NamePage LocalGroupEnum(const std::wstring& server, std::uint32_t preferredMaxLength,
                                      std::uintptr_t& resumeHandle) override;
    accounts::NamePage LocalGroupGetMembers(const std::wstring& server, const std::wstring& group,
                                            std::uint32_t preferredMaxLength,
                                            std::uintptr_t& resumeHandle) override;
    std::uint32_t LocalGroupAddMember(const std::wstring& group,
                                      const std::wstring& member) override;
    std::uint32_t LocalGroupDelMember(const std::wstring& group,
                                      const std::wstring& member) override;
};

}  // namespace win32
