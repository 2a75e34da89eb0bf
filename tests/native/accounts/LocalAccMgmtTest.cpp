#include <gtest/gtest.h>

#include "accounts/INetApi.h"
#include "accounts/mdlLocalAccMgmt.h"
#include "tests/native/accounts/AccountsFixture.h"

namespace accounts_tests {
namespace {

using accounts::GetLocalGroupMembers;
using accounts::GetLocalGroups;
using accounts::GetLocalUsers;

struct LocalAccMgmt : AccountsFixture {};

TEST_F(LocalAccMgmt, UsersComeInApiOrderAskingForNormalAccountsOfTheLocalComputer) {
    netapi.users = {L"zeta", L"Administrator", L"mike", L"Guest"};
    std::int32_t count = -1;
    EXPECT_EQ(GetLocalUsers(services, L"", count),
              (Names{L"zeta", L"Administrator", L"mike", L"Guest"}));
    EXPECT_EQ(count, 4);
    const auto calls = netapi.CallsTo(L"NetUserEnum");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].server, L"");
    EXPECT_EQ(calls[0].filter, accounts::kFilterNormalAccount);
    EXPECT_EQ(calls[0].preferredMaxLength, accounts::kMaxPreferredLength);
    EXPECT_EQ(calls[0].resumeHandle, 0u);
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(LocalAccMgmt, MoreDataIsFollowedUntilEveryListIsComplete) {
    netapi.pageSize = 2;
    for (int i = 0; i < 7; ++i) netapi.users.push_back(L"user" + std::to_wstring(i));
    netapi.AddGroup(L"Administrators", {L"SERVER\\a", L"SERVER\\b", L"SERVER\\c"});
    netapi.AddGroup(L"Guests");
    netapi.AddGroup(L"Users", {L"SERVER\\d"});

    std::int32_t count = 0;
    const auto users = GetLocalUsers(services, L"", count);
    EXPECT_EQ(users, (Names{L"user0", L"user1", L"user2", L"user3", L"user4", L"user5", L"user6"}));
    EXPECT_EQ(count, 7);
    std::vector<std::uintptr_t> handles;
    for (const auto& c : netapi.CallsTo(L"NetUserEnum")) handles.push_back(c.resumeHandle);
    EXPECT_EQ(handles, (std::vector<std::uintptr_t>{0, 2, 4, 6}));

    EXPECT_EQ(GetLocalGroups(services, L"", count),
              (Names{L"Administrators", L"Guests", L"Users"}));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(CallCount(L"NetLocalGroupEnum"), 2);

    EXPECT_EQ(GetLocalGroupMembers(services, L"", L"Administrators", count),
              (Names{L"SERVER\\a", L"SERVER\\b", L"SERVER\\c"}));
    EXPECT_EQ(count, 3);
    const auto memberCalls = netapi.CallsTo(L"NetLocalGroupGetMembers");
    ASSERT_EQ(memberCalls.size(), 2u);
    EXPECT_EQ(memberCalls[1].group, L"Administrators");
    EXPECT_EQ(memberCalls[1].resumeHandle, 2u);
    EXPECT_EQ(memberCalls[0].preferredMaxLength, accounts::kMaxPreferredLength);
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(LocalAccMgmt, AFailingPageDropsWhatWasReadAndListsNothing) {
    netapi.pageSize = 1;
    netapi.users = {L"a", L"b", L"c"};
    netapi.userEnumStatus = {0, 59};  // second page: unexpected network error
    std::int32_t count = 9;
    EXPECT_TRUE(GetLocalUsers(services, L"", count).empty());
    EXPECT_EQ(count, 0);

    netapi.AddGroup(L"G1");
    netapi.groupEnumStatus = {5};
    EXPECT_TRUE(GetLocalGroups(services, L"", count).empty());
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(shell.messages.empty()) << "user and group listings fail silently";
}

TEST_F(LocalAccMgmt, MemberListFailureIsToldWithTheStatusAndGivesNothing) {
    netapi.AddGroup(L"Users", {L"SERVER\\bob"});
    std::int32_t count = 5;
    EXPECT_TRUE(GetLocalGroupMembers(services, L"", L"NoSuchGroup", count).empty());
    EXPECT_EQ(count, 0);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text, L"Error calling NetLocalGroupGetMembers: 2220");
    EXPECT_EQ(shell.messages[0].style, 0);
    EXPECT_EQ(shell.messages[0].title, L"Quillon");

    netapi.AddGroup(L"Empty");
    EXPECT_TRUE(GetLocalGroupMembers(services, L"", L"Empty", count).empty());
    EXPECT_EQ(shell.messages.size(), 1u) << "an empty group is no failure";
}

// An API that keeps promising more data without moving its resume handle on,
// as Wine's NetUserEnum does when the buffer is too small.
class StuckNetApi : public testing_support::FakeNetApi {
  public:
    int pages = 0;
    std::vector<std::wstring> page;
    accounts::NamePage UserEnum(const std::wstring&, std::uint32_t, std::uint32_t,
                                std::uintptr_t&) override {
        ++pages;
        return {accounts::kErrorMoreData, page};
    }
    accounts::NamePage LocalGroupGetMembers(const std::wstring&, const std::wstring&, std::uint32_t,
                                            std::uintptr_t&) override {
        ++pages;
        return {accounts::kErrorMoreData, page};
    }
};

TEST_F(LocalAccMgmt, MoreDataWithoutProgressEndsWithWhatWasReadInsteadOfLooping) {
    StuckNetApi stuck;
    stuck.page = {L"root"};
    services.netapi = &stuck;
    std::int32_t count = 0;
    EXPECT_EQ(GetLocalUsers(services, L"", count), (Names{L"root"}));
    EXPECT_EQ(count, 1);
    EXPECT_EQ(stuck.pages, 1);
    EXPECT_EQ(GetLocalGroupMembers(services, L"", L"Users", count), (Names{L"root"}));
    stuck.page.clear();
    EXPECT_TRUE(GetLocalGroupMembers(services, L"", L"Users", count).empty());
    EXPECT_EQ(stuck.pages, 3);
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(LocalAccMgmt, AddTreatsAlreadyAMemberAsSuccessAndRemoveOnlySuccess) {
    netapi.users = {L"bob", L"eve"};
    netapi.AddGroup(L"Users", {L"SERVER\\bob"});
    std::uint32_t status = 99;

    EXPECT_TRUE(accounts::AddLocalGroupMember(services, L"eve", L"Users", &status));
    EXPECT_EQ(status, 0u);
    EXPECT_TRUE(accounts::AddLocalGroupMember(services, L"bob", L"Users", &status));
    EXPECT_EQ(status, accounts::kErrorMemberInAlias);
    EXPECT_FALSE(accounts::AddLocalGroupMember(services, L"nobody", L"Users", &status));
    EXPECT_EQ(status, testing_support::kErrorNoSuchMember);
    EXPECT_EQ(*netapi.MembersOf(L"Users"), (Names{L"SERVER\\bob", L"SERVER\\eve"}));

    const auto adds = netapi.CallsTo(L"NetLocalGroupAddMembers");
    ASSERT_EQ(adds.size(), 3u);
    EXPECT_EQ(adds[0].group, L"Users");
    EXPECT_EQ(adds[0].member, L"eve");

    EXPECT_TRUE(accounts::RemoveLocalGroupMember(services, L"SERVER\\bob", L"Users", &status));
    EXPECT_EQ(status, 0u);
    EXPECT_FALSE(accounts::RemoveLocalGroupMember(services, L"SERVER\\bob", L"Users", &status));
    EXPECT_EQ(status, testing_support::kErrorMemberNotInAlias);
    EXPECT_EQ(netapi.CallsTo(L"NetLocalGroupDelMembers")[0].member, L"SERVER\\bob");
    EXPECT_EQ(*netapi.MembersOf(L"Users"), (Names{L"SERVER\\eve"}));
    EXPECT_TRUE(shell.messages.empty()) << "the module itself shows nothing for membership";
}

}  // namespace
}  // namespace accounts_tests
