#include "identity/mdlComputerName.h"

#include "app/Services.h"
#include "identity/ISystemIdentity.h"
#include "identity/frmCredentials.h"
#include "sysaccess/IAutomation.h"
#include "sysaccess/TextCase.h"
#include "sysaccess/VbError.h"
#include "ui/Shell.h"

namespace identity {

namespace {

constexpr int kJoinStatusDomain = 3;  // NetSetupDomainName
// NETSETUP_JOIN_DOMAIN | NETSETUP_ACCT_CREATE | NETSETUP_DOMAIN_JOIN_IF_JOINED
constexpr std::int16_t kJoinDomainFlags = 35;
constexpr std::int16_t kJoinWorkgroupFlags = 0;

// A status that a method call returned; its failure messages show it in decimal.
std::int32_t StatusOf(const sysaccess::Variant& result) { return result.ToInt32(); }

// The members of a collection that a call returned (an "ExecQuery" result).
std::vector<sysaccess::AutoObjectPtr> ItemsOf(const sysaccess::Variant& collection) {
    if (!collection.IsObject() || !collection.Object())
        throw sysaccess::VbError(424, L"mdlComputerName", L"Object required");
    return collection.Object()->Items();
}

void ShowFailure(app::Services& services, const std::wstring& text, int style) {
    services.shell->MsgBox(text, style);
}

}  // namespace

std::wstring GetLocalComputerName(app::Services& services) {
    if (!services.computerNameCache.empty()) return services.computerNameCache;
    if (!services.identity) return std::wstring();
    services.computerNameCache = services.identity->ComputerName();
    return services.computerNameCache;
}

std::wstring GetDnsDomainName(app::Services& services) {
    if (!services.identity) return std::wstring();
    std::wstring domain;
    if (!services.identity->NetworkDomainName(domain)) return std::wstring();
    return TrimAtNull(domain);
}

std::wstring GetJoinInformation(app::Services& services, bool& isDomainMember) {
    isDomainMember = false;
    if (!services.identity) return std::wstring();
    const std::wstring server = AddUncPrefix(GetLocalComputerName(services));
    std::wstring name;
    int status = 0;
    if (services.identity->JoinInformation(server, name, status) != 0) return std::wstring();
    if (status == kJoinStatusDomain) isDomainMember = true;
    return name;
}

std::wstring TrimAtNull(const std::wstring& text) {
    const auto nul = text.find(L'\0');
    return nul == std::wstring::npos ? text : text.substr(0, nul);
}

std::wstring AddUncPrefix(const std::wstring& computerName) {
    if (computerName.rfind(L"\\\\", 0) == 0) return computerName;
    if (computerName.rfind(L"\\", 0) == 0) return L"\\" + computerName;
    return L"\\\\" + computerName;
}

std::wstring QueryMoniker(const std::wstring& computerName) {
    return L"winmgmts:{impersonationLevel=impersonate}!\\\\" + computerName + L"\\root\\cimv2";
}

std::wstring ComputerSystemMoniker(const std::wstring& computerName) {
    return L"winmgmts:{impersonationLevel=Impersonate}!\\\\" + computerName +
           L"\\root\\cimv2:Win32_ComputerSystem.Name='" + computerName + L"'";
}

bool PromptForCredentials(app::Services& services, const std::wstring& domainName,
                          std::wstring& userName, std::wstring& password) {
    auto prompt = ui::NewForm<frmCredentials>(services);
    prompt->SetFormCaption(L"Credentials for " + sysaccess::ToUpper(domainName) + L" domain:");
    prompt->ShowModal();
    if (prompt->RC() != frmCredentials::kResultOk) {
        prompt->Unload();
        return false;
    }
    userName = prompt->UserName();
    password = prompt->Password();
    prompt->Unload();
    return true;
}

bool RenameComputer(app::Services& services, const std::wstring& newName,
                    const std::wstring& userName, const std::wstring& password) {
    const std::wstring failure = L"Failed to change the computer name. The error was: ";
    bool renamed = false;
    try {
        auto connection = services.objects->Bind(QueryMoniker(GetLocalComputerName(services)));
        auto result = connection->Call(L"ExecQuery",
                                       {sysaccess::Variant(L"Select * from Win32_ComputerSystem")});
        if (newName.empty()) return false;
        for (const auto& system : ItemsOf(result)) {
            auto status = StatusOf(
                system->Call(L"Rename", {sysaccess::Variant(newName), sysaccess::Variant(password),
                                         sysaccess::Variant(userName)}));
            if (status == 0) {
                renamed = true;
            } else {
                ShowFailure(services, failure + std::to_wstring(status), ui::kMbIconCritical);
                renamed = false;
            }
        }
    } catch (const sysaccess::VbError& e) {
        ShowFailure(services, failure + e.Description(), ui::kMbIconCritical);
        return false;
    }
    return renamed;
}

std::wstring MemberDomainName(app::Services& services) {
    bool member = false;
    std::wstring name = GetJoinInformation(services, member);
    if (name.empty()) name = GetDnsDomainName(services);
    return name;
}

bool RenameComputerAsDialog(app::Services& services, const std::wstring& newName,
                            bool isDomainMember) {
    if (!isDomainMember || newName.empty())
        return RenameComputer(services, newName, kRenamePlaceholderCredential,
                              kRenamePlaceholderCredential);
    std::wstring userName, password;
    if (!PromptForCredentials(services, MemberDomainName(services), userName, password))
        return false;
    return RenameComputer(services, newName, userName, password);
}

bool JoinDomain(app::Services& services, const std::wstring& newDomain) {
    std::wstring userName, password;
    if (!PromptForCredentials(services, newDomain, userName, password)) return false;
    const std::wstring failure = L"Domain join failed. The error code was: ";
    try {
        auto system = services.objects->Bind(ComputerSystemMoniker(GetLocalComputerName(services)));
        auto status = StatusOf(system->Call(
            L"JoinDomainOrWorkGroup", {sysaccess::Variant(newDomain), sysaccess::Variant(password),
                                       sysaccess::Variant(userName), sysaccess::Variant::Null(),
                                       sysaccess::Variant(kJoinDomainFlags)}));
        if (status == 0) return true;
        ShowFailure(services, failure + std::to_wstring(status), ui::kMbOk);
    } catch (const sysaccess::VbError& e) {
        ShowFailure(services, failure + e.Description(), ui::kMbOk);
    }
    return false;
}

bool JoinWorkgroup(app::Services& services, const std::wstring& newWorkgroup, bool isDomainMember) {
    sysaccess::AutoObjectPtr system;
    if (isDomainMember) {
        const std::wstring failure =
            L"Failed to remove the computer from the domain. The error code was: ";
        try {
            system = services.objects->Bind(ComputerSystemMoniker(GetLocalComputerName(services)));
        } catch (const sysaccess::VbError& e) {
            ShowFailure(services, failure + e.Description(), ui::kMbOk);
            return false;
        }
        std::wstring userName, password;
        if (!PromptForCredentials(services, MemberDomainName(services), userName, password))
            return false;
        try {
            auto status =
                StatusOf(system->Call(L"UnJoinDomainOrWorkGroup",
                                      {sysaccess::Variant(password), sysaccess::Variant(userName),
                                       sysaccess::Variant::Null()}));
            if (status != 0) {
                ShowFailure(services, failure + std::to_wstring(status), ui::kMbOk);
                return false;
            }
        } catch (const sysaccess::VbError& e) {
            ShowFailure(services, failure + e.Description(), ui::kMbOk);
            return false;
        }
    }
    const std::wstring failure = L"Workgroup join failed. The error code was: ";
    try {
        if (!system)
            system = services.objects->Bind(ComputerSystemMoniker(GetLocalComputerName(services)));
        auto status = StatusOf(system->Call(
            L"JoinDomainOrWorkGroup", {sysaccess::Variant(newWorkgroup), sysaccess::Variant::Null(),
                                       sysaccess::Variant::Null(), sysaccess::Variant::Null(),
                                       sysaccess::Variant(kJoinWorkgroupFlags)}));
        if (status == 0) return true;
        ShowFailure(services, failure + std::to_wstring(status), ui::kMbOk);
    } catch (const sysaccess::VbError& e) {
        ShowFailure(services, failure + e.Description(), ui::kMbOk);
    }
    return false;
}

}  // namespace identity
