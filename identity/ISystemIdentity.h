#pragma once
// The operating system's answers about this computer's identity.
#include <cstdint>
#include <string>

namespace identity {

class ISystemIdentity {
  public:
    virtual ~ISystemIdentity() = default;
    // GetComputerName with a buffer of 100 characters: the first `size`
    // characters of the buffer as the call left them.
    virtual std::wstring ComputerName() = 0;
    // GetNetworkParams: the DomainName field; false when the call fails.
    virtual bool NetworkDomainName(std::wstring& domain) = 0;
    // NetGetJoinInformation for the server name: the API status; on success
    // name and status (NETSETUP_JOIN_STATUS) are filled.
    virtual std::uint32_t JoinInformation(const std::wstring& server, std::wstring& name,
                                          int& status) = 0;
};

}  // namespace identity
