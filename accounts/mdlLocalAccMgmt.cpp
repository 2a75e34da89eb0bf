#include "accounts/mdlLocalAccMgmt.h"

#include "accounts/INetApi.h"
#include "app/Services.h"
#include "ui/Shell.h"

namespace accounts {

namespace {

// Calls one listing API page by page until it reports the end. Any status
// other than success or more data drops what was read so far: a partial list
// would look like a complete one. So does more data promised by a call that
// left the resume handle where it was: asking again would only repeat the
// same page, and the rest of the list cannot be had. status receives the last
// call's status.
template <typename PageCall>
std::vector<std::wstring> ReadAllPages(PageCall callPage, std::uint32_t& status) {
    std::vector<std::wstring> names;
    std::uintptr_t resumeHandle = 0;
    for (;;) {
        const std::uintptr_t handleBefore = resumeHandle;
        NamePage page = callPage(resumeHandle);
        status = page.status;
        if (page.status != kNerrSuccess && page.status != kErrorMoreData) return {};
        if (page.status == kErrorMoreData && resumeHandle == handleBefore) return {};
        names.insert(names.end(), std::make_move_iterator(page.names.begin()),
                     std::make_move_iterator(page.names.end()));
        if (page.status == kNerrSuccess) return names;
    }
}

std::vector<std::wstring> Counted(std::vector<std::wstring> names, std::int32_t& count) {
    count = static_cast<std::int32_t>(names.size());
    return names;
}

}  // namespace

std::vector<std::wstring> GetLocalUsers(app::Services& services, const std::wstring& serverName,
                                        std::int32_t& count) {
    count = 0;
    std::uint32_t status = kNerrSuccess;
    auto names = ReadAllPages(
        [&](std::uintptr_t& resume) {
            return services.netapi->UserEnum(serverName, kFilterNormalAccount, kMaxPreferredLength,
                                             resume);
        },
        status);
    return Counted(std::move(names), count);
}

std::vector<std::wstring> GetLocalGroups(app::Services& services, const std::wstring& serverName,
                                         std::int32_t& count) {
    count = 0;
    std::uint32_t status = kNerrSuccess;
    auto names = ReadAllPages(
        [&](std::uintptr_t& resume) {
            return services.netapi->LocalGroupEnum(serverName, kMaxPreferredLength, resume);
        },
        status);
    return Counted(std::move(names), count);
}

std::vector<std::wstring> GetLocalGroupMembers(app::Services& services,
                                               const std::wstring& serverName,
                                               const std::wstring& groupName, std::int32_t& count) {
    count = 0;
    std::uint32_t status = kNerrSuccess;
    auto names = ReadAllPages(
        [&](std::uintptr_t& resume) {
            return services.netapi->LocalGroupGetMembers(serverName, groupName, kMaxPreferredLength,
                                                         resume);
        },
        status);
    if (status != kNerrSuccess) {
        services.shell->MsgBox(L"Error calling NetLocalGroupGetMembers: " + std::to_wstring(status),
                               ui::kMbOk);
        return {};
    }
    return Counted(std::move(names), count);
}

bool AddLocalGroupMember(app::Services& services, const std::wstring& memberName,
                         const std::wstring& groupName, std::uint32_t* status) {
    const std::uint32_t result = services.netapi->LocalGroupAddMember(groupName, memberName);
    if (status) *status = result;
    return result == kNerrSuccess || result == kErrorMemberInAlias;
}

bool RemoveLocalGroupMember(app::Services& services, const std::wstring& memberName,
                            const std::wstring& groupName, std::uint32_t* status) {
    const std::uint32_t result = services.netapi->LocalGroupDelMember(groupName, memberName);
    if (status) *status = result;
    return result == kNerrSuccess;
}

}  // namespace accounts
