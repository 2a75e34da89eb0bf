// The network management binding on the real API: the names copied out of the system's
// buffers, whole or a page at a time, and every buffer given back.
#include <windows.h>
#include <gtest/gtest.h>
#include <lm.h>

#include <algorithm>

#include "accounts/INetApi.h"
#include "win32/Win32NetApi.h"

namespace {

// Bytes in use in the process heap, where the API allocates its buffers.
SIZE_T HeapInUse() {
    SIZE_T total = 0;
    PROCESS_HEAP_ENTRY entry{};
    ::HeapLock(::GetProcessHeap());
    while (::HeapWalk(::GetProcessHeap(), &entry))
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
    ::HeapUnlock(::GetProcessHeap());
    return total;
}

TEST(NetApi, NamesAsTheSystemListsThemAndNoBufferKept) {
    win32::Win32NetApi netapi;
    std::uintptr_t resume = 0;
    auto all = [&] {
        return netapi.UserEnum(L"", accounts::kFilterNormalAccount, accounts::kMaxPreferredLength,
                               resume = 0);
    };
    auto page = [&] { return netapi.UserEnum(L"", accounts::kFilterNormalAccount, 1, resume = 0); };
    const auto users = all(), first = page();  // a buffer too small: more data, and what fits
    ASSERT_FALSE(users.names.empty());         // which names: the real program's, end to end
    EXPECT_TRUE(first.status == accounts::kErrorMoreData || first.names == users.names);
    for (const auto& name : first.names)
        EXPECT_NE(std::find(users.names.begin(), users.names.end(), name), users.names.end());
    auto groups = [&] {  // Wine lists no local groups, and none has members
        netapi.LocalGroupEnum(L"", accounts::kMaxPreferredLength, resume = 0);
        netapi.LocalGroupGetMembers(L"", L"Administrators", accounts::kMaxPreferredLength,
                                    resume = 0);
    };
    groups();
    const SIZE_T before = HeapInUse();
    void* kept = nullptr;  // the measure sees a buffer kept
    ::NetApiBufferAllocate(64, &kept);
    EXPECT_GE(HeapInUse(), before + 64), ::NetApiBufferFree(kept);
    for (int i = 0; i < 200; ++i) all(), page(), groups();
    EXPECT_LT(HeapInUse(), before + 200 * 8);  // one buffer kept a round would show
}

}  // namespace
