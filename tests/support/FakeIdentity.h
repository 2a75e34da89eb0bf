#pragma once
// A scripted identity::ISystemIdentity for native tests: the answers are the
// public fields; every question is counted.
#include <cstdint>
#include <string>
#include <vector>

#include "identity/ISystemIdentity.h"

namespace testing_support {

class FakeIdentity : public identity::ISystemIdentity {
  public:
    std::wstring computerName = L"SERVER01";
    bool networkParamsOk = true;
    std::wstring dnsDomain;  // what the network parameters hold
    std::uint32_t joinApiStatus = 0;
    std::wstring joinName = L"WORKGROUP";
    int joinStatus = 2;  // member of a workgroup

    // Convenience: a member of the domain (NetBIOS name, DNS name).
    void MakeDomainMember(const std::wstring& netbiosName, const std::wstring& dnsName) {
        joinName = netbiosName;
        joinStatus = 3;
        dnsDomain = dnsName;
    }
    void MakeWorkgroupMember(const std::wstring& workgroup) {
        joinName = workgroup;
        joinStatus = 2;
        dnsDomain.clear();
    }

    int computerNameCalls = 0;
    int networkParamsCalls = 0;
    std::vector<std::wstring> joinServers;  // server names passed, in order

    std::wstring ComputerName() override {
        ++computerNameCalls;
        return computerName;
    }
    bool NetworkDomainName(std::wstring& domain) override {
        ++networkParamsCalls;
        if (!networkParamsOk) return false;
        domain = dnsDomain;
        return true;
    }
    std::uint32_t JoinInformation(const std::wstring& server, std::wstring& name,
                                  int& status) override {
        joinServers.push_back(server);
        if (joinApiStatus != 0) return joinApiStatus;
        name = joinName;
        status = joinStatus;
        return 0;
    }
};

}  // namespace testing_support
