// The identity queries: computer name and its cache, DNS domain, join
// information, and the small text helpers they use.
#include <gtest/gtest.h>

#include <cstdint>

#include "app/Services.h"
#include "identity/mdlComputerName.h"
#include "sysaccess/StringFromPointer.h"
#include "tests/support/FakeIdentity.h"

namespace {

using testing_support::FakeIdentity;

struct IdentityQueries : ::testing::Test {
    FakeIdentity system;
    app::Services services;
    void SetUp() override { services.identity = &system; }
};

TEST(TrimAtNull, CutsAtTheFirstNul) {
    EXPECT_EQ(identity::TrimAtNull(L"SERVER"), L"SERVER");
    EXPECT_EQ(identity::TrimAtNull(std::wstring(L"\0SERVER", 7)), L"");
    EXPECT_EQ(identity::TrimAtNull(std::wstring(L"corp\0\0junk", 10)), L"corp");
    EXPECT_EQ(identity::TrimAtNull(std::wstring(L"a\0b\0c", 5)), L"a");
    EXPECT_EQ(identity::TrimAtNull(L""), L"");
}

TEST(AddUncPrefix, AddsWhatIsMissingOfTwoBackslashes) {
    EXPECT_EQ(identity::AddUncPrefix(L"SERVER"), L"\\\\SERVER");
    EXPECT_EQ(identity::AddUncPrefix(L"\\SERVER"), L"\\\\SERVER");
    EXPECT_EQ(identity::AddUncPrefix(L"\\\\SERVER"), L"\\\\SERVER");
    EXPECT_EQ(identity::AddUncPrefix(L"\\\\\\SERVER"), L"\\\\\\SERVER");
    EXPECT_EQ(identity::AddUncPrefix(L""), L"\\\\");
    EXPECT_EQ(identity::AddUncPrefix(L"SER\\VER"), L"\\\\SER\\VER");
}

TEST(StringFromPointer, CopiesUpToTheNul) {
    EXPECT_EQ(sysaccess::StringFromPointer(nullptr), L"");
    const char16_t empty[] = u"";
    EXPECT_EQ(sysaccess::StringFromPointer(empty), L"");
    const char16_t name[] = u"WORKGROUP";
    EXPECT_EQ(sysaccess::StringFromPointer(name), L"WORKGROUP");
    const char16_t embedded[] = u"ab\0cd";
    EXPECT_EQ(sysaccess::StringFromPointer(embedded), L"ab");
    const char16_t accented[] = u"\u00c9quipe";
    EXPECT_EQ(sysaccess::StringFromPointer(accented), L"\u00c9quipe");
}

TEST(StringFromPointer, ReadsFromAnOddAddress) {
    alignas(2) unsigned char buffer[16] = {};
    // "Hi" at an odd offset, little-endian UTF-16.
    buffer[1] = 'H';
    buffer[3] = 'i';
    EXPECT_EQ(sysaccess::StringFromPointer(buffer + 1), L"Hi");
}

TEST_F(IdentityQueries, ComputerNameIsAskedOnceAndCached) {
    system.computerName = L"NODE7";
    EXPECT_EQ(identity::GetLocalComputerName(services), L"NODE7");
    system.computerName = L"RENAMED";
    EXPECT_EQ(identity::GetLocalComputerName(services), L"NODE7");
    EXPECT_EQ(system.computerNameCalls, 1);
    EXPECT_EQ(services.computerNameCache, L"NODE7");
}

TEST_F(IdentityQueries, EmptyComputerNameIsNotRemembered) {
    system.computerName = L"";
    EXPECT_EQ(identity::GetLocalComputerName(services), L"");
    system.computerName = L"LATER";
    EXPECT_EQ(identity::GetLocalComputerName(services), L"LATER");
    EXPECT_EQ(identity::GetLocalComputerName(services), L"LATER");
    EXPECT_EQ(system.computerNameCalls, 2);
}

TEST_F(IdentityQueries, CacheIsPerServicesObject) {
    app::Services other;
    other.identity = &system;
    identity::GetLocalComputerName(services);
    identity::GetLocalComputerName(other);
    EXPECT_EQ(system.computerNameCalls, 2);
}

TEST_F(IdentityQueries, DnsDomainIsTrimmedAndEmptyOnFailure) {
    system.dnsDomain = std::wstring(L"corp.example.com\0\0\0", 19);
    EXPECT_EQ(identity::GetDnsDomainName(services), L"corp.example.com");
    system.networkParamsOk = false;
    EXPECT_EQ(identity::GetDnsDomainName(services), L"");
}

TEST_F(IdentityQueries, JoinInformationForEachStatus) {
    bool member = true;
    system.MakeWorkgroupMember(L"WORKGROUP");
    EXPECT_EQ(identity::GetJoinInformation(services, member), L"WORKGROUP");
    EXPECT_FALSE(member);

    system.MakeDomainMember(L"CORP", L"corp.example.com");
    EXPECT_EQ(identity::GetJoinInformation(services, member), L"CORP");
    EXPECT_TRUE(member);

    system.joinName = L"SOMETHING";
    system.joinStatus = 1;  // not joined
    EXPECT_EQ(identity::GetJoinInformation(services, member), L"SOMETHING");
    EXPECT_FALSE(member);

    system.joinStatus = 0;  // unknown
    EXPECT_EQ(identity::GetJoinInformation(services, member), L"SOMETHING");
    EXPECT_FALSE(member);
}

TEST_F(IdentityQueries, JoinInformationFailureGivesEmptyAndFalse) {
    system.MakeDomainMember(L"CORP", L"corp.example.com");
    system.joinApiStatus = 5;
    bool member = true;
    EXPECT_EQ(identity::GetJoinInformation(services, member), L"");
    EXPECT_FALSE(member);
}

TEST_F(IdentityQueries, JoinInformationAsksForTheLocalComputerAsUncName) {
    system.computerName = L"SERVER01";
    bool member = false;
    identity::GetJoinInformation(services, member);
    services.computerNameCache = L"\\ODD";
    identity::GetJoinInformation(services, member);
    EXPECT_EQ(system.joinServers, (std::vector<std::wstring>{L"\\\\SERVER01", L"\\\\ODD"}));
}

}  // namespace
