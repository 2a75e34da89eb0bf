// Listing local users through the resume-handle loop: time for 50,000 users
// arriving in pages of 100 against the same users in one page, and against
// 5,000 users in one page, all in the same process. Following the pages
// should cost little more than one page (ratio near 1), and the listing
// should grow linearly with the number of accounts (ratio near 10).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "accounts/mdlLocalAccMgmt.h"
#include "app/Services.h"
#include "tests/fakes/FakeNetApi.h"
#include "tests/fakes/TestShell.h"

namespace {

// Best of several rounds of GetLocalUsers against a model of that many users.
double SecondsToList(int users, std::size_t pageSize, int rounds, std::int32_t& listed) {
    fakes::TestShell shell;
    fakes::FakeNetApi netapi;
    for (int i = 0; i < users; ++i) netapi.users.push_back(L"user" + std::to_wstring(i));
    netapi.pageSize = pageSize;
    app::Services services;
    services.shell = &shell;
    services.netapi = &netapi;
    double best = 1e9;
    for (int r = 0; r < rounds; ++r) {
        netapi.calls.clear();
        const auto start = std::chrono::steady_clock::now();
        const auto names = accounts::GetLocalUsers(services, L"", listed);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
        if (static_cast<int>(names.size()) != users) listed = -1;
    }
    return best;
}

}  // namespace

int main() {
    std::int32_t listed = 0;
    const double small = SecondsToList(5000, 0, 7, listed);
    const double onePage = SecondsToList(50000, 0, 7, listed);
    const double paged = SecondsToList(50000, 100, 7, listed);
    if (listed != 50000) {
        std::printf("listing lost accounts: %d of 50000\n", listed);
        return 1;
    }
    std::printf("50,000 users in one page: %.4f s (baseline 5,000 users: %.4f s, ratio %.2f)\n",
                onePage, small, onePage / small);
    std::printf("50,000 users in pages of 100: %.4f s (ratio to one page %.2f)\n", paged,
                paged / onePage);
    return 0;
}
