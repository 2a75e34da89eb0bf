// The scripted automation fakes are shared by the identity, network and
// account tests; these cases pin the behaviour those tests rely on.
#include <gtest/gtest.h>

#include "tests/support/FakeAutomation.h"

namespace {

using sysaccess::Variant;
using testing_support::AutoCall;
using testing_support::FakeObjectBinder;

TEST(FakeAutomation, BindsKnownNamesAndRecordsCallsInOrder) {
    FakeObjectBinder binder;
    auto object = binder.AddObject(L"WinNT://PC");
    object->OnCall(L"Delete", Variant());
    auto bound = binder.Bind(L"WinNT://PC");
    bound->Call(L"Delete", {Variant(L"user"), Variant(L"bob")});
    ASSERT_EQ(object->calls.size(), 1u);
    EXPECT_EQ(object->calls[0].member, L"Delete");
    EXPECT_EQ(object->calls[0].args, (std::vector<Variant>{Variant(L"user"), Variant(L"bob")}));
    ASSERT_EQ(binder.journal.size(), 2u);
    EXPECT_EQ(binder.journal[0].kind, AutoCall::Kind::Bind);
    EXPECT_EQ(binder.journal[1].kind, AutoCall::Kind::Call);
    EXPECT_EQ(binder.binds, std::vector<std::wstring>{L"WinNT://PC"});
}

TEST(FakeAutomation, UnknownNamesMembersAndScriptedFailuresRaiseWithDescriptions) {
    FakeObjectBinder binder;
    auto object = binder.AddObject(L"a");
    binder.FailBind(L"b", L"The network path was not found.");
    try {
        binder.Bind(L"b");
        FAIL();
    } catch (const sysaccess::VbError& e) {
        EXPECT_EQ(e.Description(), L"The network path was not found.");
    }
    EXPECT_THROW(binder.Bind(L"c"), sysaccess::VbError);
    EXPECT_THROW(object->Get(L"Name"), sysaccess::VbError);
    EXPECT_THROW(object->Call(L"Rename", {}), sysaccess::VbError);
    object->FailCall(L"SetInfo", L"Access is denied.");
    try {
        object->Call(L"setinfo", {});
        FAIL();
    } catch (const sysaccess::VbError& e) {
        EXPECT_EQ(e.Description(), L"Access is denied.");
    }
    EXPECT_TRUE(object->calls.back().failed);
    EXPECT_EQ(object->CallCount(L"SetInfo"), 1);
}

TEST(FakeAutomation, PropertiesSequencesQueriesAndFailEverything) {
    FakeObjectBinder binder;
    auto ns = binder.AddObject(L"ns");
    auto item = binder.NewObject(L"item");
    item->SetProperty(L"Name", Variant(L"PC"));
    ns->OnQuery(L"Select * from X", {item});
    auto result = ns->Call(L"ExecQuery", {Variant(L"Select * from X")});
    ASSERT_TRUE(result.IsObject());
    auto items = result.Object()->Items();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0]->Get(L"name"), Variant(L"PC"));
    EXPECT_THROW(ns->Call(L"ExecQuery", {Variant(L"Select * from Y")}), sysaccess::VbError);

    item->Put(L"FullName", Variant(L"Bob"));
    EXPECT_EQ(item->Get(L"FullName"), Variant(L"Bob"));
    EXPECT_EQ(item->PutsTo(L"fullname"), std::vector<Variant>{Variant(L"Bob")});

    item->OnCallSequence(L"EnableDHCP", {Variant(std::int32_t{1}), Variant(std::int32_t{0})});
    EXPECT_EQ(item->Call(L"EnableDHCP", {}), Variant(std::int32_t{1}));
    EXPECT_EQ(item->Call(L"EnableDHCP", {}), Variant(std::int32_t{0}));
    EXPECT_EQ(item->Call(L"EnableDHCP", {}), Variant(std::int32_t{0}));
    EXPECT_NE(Variant(std::int16_t{0}), Variant(std::int32_t{0}));

    binder.FailEverything(L"RPC server unavailable");
    EXPECT_THROW(binder.Bind(L"ns"), sysaccess::VbError);
    EXPECT_THROW(item->Get(L"Name"), sysaccess::VbError);
    binder.StopFailing();
    EXPECT_EQ(item->Get(L"Name"), Variant(L"PC"));
}

}  // namespace
