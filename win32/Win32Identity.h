#pragma once
// identity::ISystemIdentity through kernel32, iphlpapi and netapi32.
#include "identity/ISystemIdentity.h"

namespace win32 {

class Win32Identity : public identity::ISystemIdentity {
  public:
    std::wstring ComputerName() override;
    bool NetworkDomainName(std::wstring& domain) override;
    std::uint32_t JoinInformation(const std::wstring& server, std::wstring& name,
                                  int& status) override;
};

}  // namespace win32
