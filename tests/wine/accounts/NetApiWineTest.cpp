// The netapi32 binding against the real API: Wine's users and groups are
// listed, and repeated calls leave neither API buffers nor handles behind.
#include <gtest/gtest.h>
#include <windows.h>
// clang-format off
#include <lm.h>
// clang-format on

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "accounts/INetApi.h"
#include "accounts/frmAccountMgmt.h"
#include "accounts/mdlLocalAccMgmt.h"
#include "app/Services.h"
#include "tests/support/TestShell.h"
#include "win32/Win32NetApi.h"

namespace {

// Bytes in use in the process heap, where netapi32 allocates its buffers.
SIZE_T ProcessHeapBusyBytes() {
    HANDLE heap = ::GetProcessHeap();
    SIZE_T total = 0;
    if (!::HeapLock(heap)) return 0;
    PROCESS_HEAP_ENTRY entry{};
    while (::HeapWalk(heap, &entry))
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
    ::HeapUnlock(heap);
    return total;
}

// The value the next new handle gets. Handles left open take the free slots,
// so the value grows when something leaks them (Wine's handle count itself
// is not maintained, so the count cannot tell).
std::uintptr_t NextHandleValue() {
    HANDLE probe = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const auto value = reinterpret_cast<std::uintptr_t>(probe);
    if (probe) ::CloseHandle(probe);
    return value;
}

std::wstring CurrentUserName() {
    wchar_t name[257] = {};
    DWORD size = 257;
    if (!::GetUserNameW(name, &size)) return std::wstring();
    return name;
}

struct NetApiWine : ::testing::Test {
    testing_support::TestShell shell;
    win32::Win32NetApi netapi;
    app::Services services;
    NetApiWine() {
        services.shell = &shell;
        services.netapi = &netapi;
    }

    // Every listing and membership call of the binding once.
    void OneRoundOfEveryCall() {
        std::uintptr_t resume = 0;
        netapi.UserEnum(L"", accounts::kFilterNormalAccount, accounts::kMaxPreferredLength, resume);
        resume = 0;
        netapi.UserEnum(L"", accounts::kFilterNormalAccount, 1, resume);  // more data
        resume = 0;
        netapi.LocalGroupEnum(L"", accounts::kMaxPreferredLength, resume);
        resume = 0;
        netapi.LocalGroupGetMembers(L"", L"Administrators", accounts::kMaxPreferredLength, resume);
        resume = 0;
        netapi.LocalGroupGetMembers(L"", L"No such group here", accounts::kMaxPreferredLength,
                                    resume);
        std::int32_t count = 0;
        accounts::GetLocalUsers(services, L"", count);
        accounts::GetLocalGroups(services, L"", count);
    }
};

TEST_F(NetApiWine, ListsTheNormalAccountsTheSystemReports) {
    const std::wstring me = CurrentUserName();
    ASSERT_FALSE(me.empty());
    std::int32_t count = -1;
    const auto users = accounts::GetLocalUsers(services, L"", count);
    EXPECT_EQ(count, static_cast<std::int32_t>(users.size()));
    EXPECT_NE(std::find(users.begin(), users.end(), me), users.end())
        << "the account running the tests is a normal local account";
    for (const auto& name : users) EXPECT_FALSE(name.empty());

    // The same names as one direct call with everything in one buffer.
    std::uintptr_t resume = 0;
    const auto page =
        netapi.UserEnum(L"", accounts::kFilterNormalAccount, accounts::kMaxPreferredLength, resume);
    EXPECT_EQ(page.status, accounts::kNerrSuccess);
    EXPECT_EQ(page.names, users);
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(NetApiWine, ASmallBufferReportsMoreDataWithTheEntriesThatFit) {
    std::uintptr_t resume = 0;
    const auto page = netapi.UserEnum(L"", accounts::kFilterNormalAccount, 1, resume);
    if (page.status == accounts::kNerrSuccess) GTEST_SKIP() << "the system ignored the size";
    EXPECT_EQ(page.status, accounts::kErrorMoreData);
    std::int32_t count = 0;
    const auto all = accounts::GetLocalUsers(services, L"", count);
    for (const auto& name : page.names)
        EXPECT_NE(std::find(all.begin(), all.end(), name), all.end());
}

TEST_F(NetApiWine, GroupsAndMembersListWithoutFailing) {
    std::int32_t count = -1;
    const auto groups = accounts::GetLocalGroups(services, L"", count);
    EXPECT_EQ(count, static_cast<std::int32_t>(groups.size()));
    for (const auto& group : groups) {
        accounts::GetLocalGroupMembers(services, L"", group, count);
        EXPECT_GE(count, 0);
    }
    for (const auto& m : shell.messages)
        EXPECT_EQ(m.text.rfind(L"Error calling NetLocalGroupGetMembers: ", 0), 0u);
}

TEST_F(NetApiWine, TheMeasuresSeeLeakedApiBuffersAndHandles) {
    // Proves the measures used below: leaks show up in them.
    const SIZE_T heapBefore = ProcessHeapBusyBytes();
    std::vector<LPVOID> leaked(200);
    for (auto& buffer : leaked) ASSERT_EQ(::NetApiBufferAllocate(64, &buffer), NERR_Success);
    const SIZE_T heapDuring = ProcessHeapBusyBytes();
    for (auto buffer : leaked) ::NetApiBufferFree(buffer);
    EXPECT_GE(heapDuring, heapBefore + 200 * 64);

    const std::uintptr_t handleBefore = NextHandleValue();
    std::vector<HANDLE> open(50);
    for (auto& h : open) h = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const std::uintptr_t handleDuring = NextHandleValue();
    for (auto h : open) ::CloseHandle(h);
    EXPECT_GT(handleDuring, handleBefore + 16);
    EXPECT_LE(NextHandleValue(), handleBefore + 16);
}

TEST_F(NetApiWine, RepeatedCallsLeaveNoBuffersOrHandlesBehind) {
    OneRoundOfEveryCall();  // first-use allocations of the API itself
    OneRoundOfEveryCall();
    const SIZE_T heapBefore = ProcessHeapBusyBytes();
    const std::uintptr_t handleBefore = NextHandleValue();
    constexpr int kRounds = 500;
    for (int i = 0; i < kRounds; ++i) OneRoundOfEveryCall();
    const SIZE_T heapAfter = ProcessHeapBusyBytes();
    const std::uintptr_t handleAfter = NextHandleValue();
    // One leaked user buffer per round would be at least kRounds * 16 bytes.
    EXPECT_LT(heapAfter, heapBefore + kRounds * 8)
        << "before " << heapBefore << " after " << heapAfter;
    EXPECT_LE(handleAfter, handleBefore + 16) << "handles left open";
}

TEST_F(NetApiWine, AccountManagementShowsTheSystemsUsers) {
    auto form = ui::NewForm<accounts::frmAccountMgmt>(services);
    form->Load();
    form->Show();
    const auto& items = form->lstUsers->Items();
    EXPECT_NE(std::find(items.begin(), items.end(), CurrentUserName()), items.end());
    form->cmdHome->UserClick();
    EXPECT_FALSE(form->IsLoaded());
}

}  // namespace
