#pragma once
// The computer's identity: its name, the DNS domain the network configuration
// reports, its domain or workgroup membership, and the changes to them
// (rename, join a domain, join a workgroup), which take effect at the next
// restart.
//
// The queries never show anything and never throw: whatever the system
// refuses comes back as an empty text or a false flag. The changes report
// their own failures in message boxes and return true only when the system
// accepted the change.
#include <string>

namespace app {
struct Services;
}

namespace identity {

// The computer's NetBIOS name. Asked of services.identity the first time only,
// then kept in services.computerNameCache for the life of the process (an
// empty answer is not kept, so the next call asks again).
std::wstring GetLocalComputerName(app::Services& services);

// The domain name from the network parameters, or empty. May be non-empty on
// a workgroup computer.
std::wstring GetDnsDomainName(app::Services& services);

// The NetBIOS name of the domain (for a member) or of the workgroup; empty
// when the system does not say. isDomainMember is true only for join status 3.
std::wstring GetJoinInformation(app::Services& services, bool& isDomainMember);

// The text up to its first NUL character.
std::wstring TrimAtNull(const std::wstring& text);

// The name with a leading "\\": unchanged when it has two already, one more
// backslash when it starts with one.
std::wstring AddUncPrefix(const std::wstring& computerName);

// Monikers of the management instrumentation objects that the changes use.
std::wstring QueryMoniker(const std::wstring& computerName);
std::wstring ComputerSystemMoniker(const std::wstring& computerName);

// Shows the credentials prompt captioned "Credentials for <DOMAIN> domain:"
// (the name upper-cased), modal to the application. True when the user
// pressed OK; then userName and password hold what was typed.
bool PromptForCredentials(app::Services& services, const std::wstring& domainName,
                          std::wstring& userName, std::wstring& password);

// Renames the computer through Win32_ComputerSystem.Rename. An empty new name
// returns false at once, silently.
bool RenameComputer(app::Services& services, const std::wstring& newName,
                    const std::wstring& userName, const std::wstring& password);

// What the Computer Name dialog passes as user name and password when renaming
// a workgroup computer, which needs no domain account.
inline constexpr wchar_t kRenamePlaceholderCredential[] = L"1";

// The rename the Computer Name dialog performs. A domain member renames its
// account in the domain as well, which needs real domain credentials: it asks
// for them with the credentials prompt (captioned with the member's domain)
// and a cancelled prompt returns false silently. A workgroup computer passes
// the placeholder. An empty name goes straight to RenameComputer, which
// refuses it silently.
bool RenameComputerAsDialog(app::Services& services, const std::wstring& newName,
                            bool isDomainMember);

// The domain a member computer belongs to, as credential prompts name it: the
// NetBIOS name from the join information, or else the DNS domain.
std::wstring MemberDomainName(app::Services& services);

// Asks for domain credentials and joins the domain (name as typed).
bool JoinDomain(app::Services& services, const std::wstring& newDomain);

// Joins the workgroup; a domain member first asks for credentials of the
// domain it leaves and leaves it.
bool JoinWorkgroup(app::Services& services, const std::wstring& newWorkgroup, bool isDomainMember);

}  // namespace identity
