#pragma once
// The computer's identity as the system reports it, for tests: the answers
// are the fields; the questions are counted.
#include <cstdint>
#include <string>

#include "identity/ISystemIdentity.h"

namespace fakes {

class FakeIdentity : public identity::ISystemIdentity {
  public:
    std::wstring computerName = L"SERVER01";
    bool networkParamsOk = true;
    std::wstring dnsDomain;  // what the network parameters hold
    std::uint32_t joinApiStatus = 0;
    std::wstring joinName = L"WORKGROUP";
    int joinStatus = 2;  // 2 workgroup member, 3 domain member
    int computerNameCalls = 0;
    std::wstring lastJoinServer;

    std::wstring ComputerName() override {
        ++computerNameCalls;
        return computerName;
    }
    bool NetworkDomainName(std::wstring& domain) override {
        if (networkParamsOk) domain = dnsDomain;
        return networkParamsOk;
    }
    std::uint32_t JoinInformation(const std::wstring& server, std::wstring& name,
                                  int& status) override {
        lastJoinServer = server;
        if (joinApiStatus == 0) {
            name = joinName;
            status = joinStatus;
        }
        return joinApiStatus;
    }
};

}  // namespace fakes
