#pragma once
// Scripted stand-ins for late-bound objects (management instrumentation
// monikers and "WinNT://" directory paths) in native tests.
//
// A FakeObjectBinder maps display names to objects or to failures. Objects
// are FakeAutoObject instances scripted with properties, method results and
// failures; everything done to them is recorded, in order, both on the object
// itself (`calls`) and in the binder's `journal` shared by all objects the
// binder made, so a test can assert the whole conversation:
//
//   testing_support::FakeObjectBinder binder;
//   auto cs = binder.AddObject(L"winmgmts:{impersonationLevel=Impersonate}!\\\\PC\\root\\...");
//   cs->OnCall(L"JoinDomainOrWorkGroup", std::int32_t{0});
//   services.objects = &binder;
//   ... run the code under test ...
//   ASSERT_EQ(cs->CallsTo(L"JoinDomainOrWorkGroup").size(), 1u);
//   auto& args = cs->CallsTo(L"JoinDomainOrWorkGroup")[0].args;
//   EXPECT_EQ(args[4], sysaccess::Variant(std::int16_t{35}));   // type-exact
//   EXPECT_TRUE(args[3].IsNull());
//
// Queries: `OnQuery(text, items)` scripts "ExecQuery" so that a call whose
// first argument is `text` returns a collection object whose Items() are
// `items` (in order). A query text that was not scripted fails.
//
// Rules of the fakes (they mirror late binding where it matters to tests):
//  - member names are matched without regard to case, as IDispatch does;
//    the records keep the exact spelling the code used;
//  - display names are matched exactly (a wrong moniker text is a fault);
//  - a Get of a property that was neither set nor Put fails, and so does a
//    call of a method that was not scripted (VbError 438, description
//    "Object doesn't support this property or method"); the attempt is
//    still recorded;
//  - Put stores the value, so a later Get returns it;
//  - binding an unknown display name fails (VbError kBindFailureNumber,
//    description "Invalid syntax");
//  - every failure is a sysaccess::VbError whose Description() is the scripted
//    text, just as the Win32 binder reports COM failures.
//
// Integer results: write the type, OnCall(L"Rename", Variant(std::int32_t{0})),
// since a bare 0 also reads as an empty handler.
//
// The binder must outlive the uses of the objects it made (they record into
// its journal).
//
// The records, kinds and the calls' args use sysaccess::Variant, whose ==
// compares type and value: Variant(std::int16_t{0}) != Variant(std::int32_t{0}).
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "sysaccess/IAutomation.h"
#include "sysaccess/Variant.h"
#include "sysaccess/VbError.h"

namespace testing_support {

// Numbers used for failures the fakes raise on their own.
constexpr std::int32_t kUnknownMemberNumber = 438;
constexpr std::int32_t kBindFailureNumber = static_cast<std::int32_t>(0x800401E4u);  // MK_E_SYNTAX
constexpr std::int32_t kScriptedFailureNumber = static_cast<std::int32_t>(0x80041001u);

// One recorded use of a fake object (or of the binder).
struct AutoCall {
    enum class Kind { Bind, Get, Put, Call, Items };
    Kind kind = Kind::Call;
    std::wstring object;  // the label of the object (the display name for objects the binder made)
    std::wstring member;  // property or method name as the code spelled it; display name for Bind
    std::vector<sysaccess::Variant> args;  // Call: the arguments in order; Put: the one value
    bool failed = false;                   // the fake raised an error for it
};

// Readable form for assertion messages: "Call PC.Rename(\"x\", \"1\", \"1\")".
std::wstring DescribeCall(const AutoCall& call);
// "text \"x\"", "int16 35", "int32 0", "bool true", "null", "empty",
// "array [..]", "bytes(3)", "object <label>".
std::wstring DescribeVariant(const sysaccess::Variant& value);

class FakeObjectBinder;

class FakeAutoObject : public sysaccess::IAutoObject,
                       public std::enable_shared_from_this<FakeAutoObject> {
  public:
    using Handler = std::function<sysaccess::Variant(const std::vector<sysaccess::Variant>& args)>;

    explicit FakeAutoObject(std::wstring label = L"object");

    const std::wstring& Label() const { return label_; }

    // --- Scripting (each returns *this so calls can be chained) ---
    // A property value that Get returns.
    FakeAutoObject& SetProperty(const std::wstring& name, sysaccess::Variant value);
    // Get (and Put) of this property fail with the description.
    FakeAutoObject& FailProperty(const std::wstring& name, const std::wstring& description,
                                 std::int32_t number = kScriptedFailureNumber);
    // Every call of the method returns result (until scripted again).
    FakeAutoObject& OnCall(const std::wstring& method, sysaccess::Variant result);
    // Successive calls return the results in order; the last one repeats.
    FakeAutoObject& OnCallSequence(const std::wstring& method,
                                   std::vector<sysaccess::Variant> results);
    // The handler computes the result (it may throw sysaccess::VbError).
    FakeAutoObject& OnCall(const std::wstring& method, Handler handler);
    // Every call of the method fails with the description.
    FakeAutoObject& FailCall(const std::wstring& method, const std::wstring& description,
                             std::int32_t number = kScriptedFailureNumber);
    // "ExecQuery" with this query text (first argument, exact) returns a
    // collection of the items. Returns the collection object.
    std::shared_ptr<FakeAutoObject> OnQuery(const std::wstring& queryText,
                                            std::vector<sysaccess::AutoObjectPtr> items);
    // "ExecQuery" with this query text fails with the description.
    FakeAutoObject& FailQuery(const std::wstring& queryText, const std::wstring& description,
                              std::int32_t number = kScriptedFailureNumber);
    // This object is a collection: Items() returns these, in order.
    FakeAutoObject& SetItems(std::vector<sysaccess::AutoObjectPtr> items);
    FakeAutoObject& AddItem(sysaccess::AutoObjectPtr item);
    // Every Get, Put, Call and Items on this object fails with the description.
    FakeAutoObject& FailEverything(const std::wstring& description,
                                   std::int32_t number = kScriptedFailureNumber);

    // --- Records ---
    std::vector<AutoCall> calls;  // everything done to this object, in order
    // The Call records of one method (name compared without regard to case).
    std::vector<AutoCall> CallsTo(const std::wstring& method) const;
    int CallCount(const std::wstring& method) const {
        return static_cast<int>(CallsTo(method).size());
    }
    // Values put with Put, in order, for one property.
    std::vector<sysaccess::Variant> PutsTo(const std::wstring& property) const;
    // The current value of a property (set or put); empty when unknown.
    sysaccess::Variant PropertyValue(const std::wstring& name) const;
    // Names of the methods called, in order (exact spelling).
    std::vector<std::wstring> MethodNames() const;

    // --- IAutoObject ---
    sysaccess::Variant Get(const std::wstring& name) override;
    void Put(const std::wstring& name, const sysaccess::Variant& value) override;
    sysaccess::Variant Call(const std::wstring& method,
                            const std::vector<sysaccess::Variant>& args) override;
    std::vector<sysaccess::AutoObjectPtr> Items() override;

  private:
    friend class FakeObjectBinder;
    struct Failure {
        std::int32_t number;
        std::wstring description;
    };
    struct MethodScript {
        std::deque<sysaccess::Variant> results;  // last repeats
        Handler handler;
        bool failing = false;
        Failure failure{};
    };
    void Record(AutoCall call);
    void MarkLastFailed();
    [[noreturn]] void Raise(const Failure& failure, const std::wstring& member);
    const Failure* EverythingFailure() const;

    std::wstring label_;
    FakeObjectBinder* binder_ = nullptr;
    std::map<std::wstring, sysaccess::Variant> properties_;  // keyed by lower-cased name
    std::map<std::wstring, Failure> failingProperties_;
    std::map<std::wstring, MethodScript> methods_;
    std::map<std::wstring, std::shared_ptr<FakeAutoObject>> queries_;  // exact query text
    std::map<std::wstring, Failure> failingQueries_;
    std::vector<sysaccess::AutoObjectPtr> items_;
    bool failEverything_ = false;
    Failure everything_{};
};

class FakeObjectBinder : public sysaccess::IObjectBinder {
  public:
    // A new object labelled with the display name, bound by that name.
    std::shared_ptr<FakeAutoObject> AddObject(const std::wstring& displayName);
    // A new object not bound by any name (query results, created accounts...),
    // still recording into the journal.
    std::shared_ptr<FakeAutoObject> NewObject(const std::wstring& label);
    // Binding the display name yields this object (fake or not).
    void Register(const std::wstring& displayName, sysaccess::AutoObjectPtr object);
    // Binding the display name fails with the description.
    void FailBind(const std::wstring& displayName, const std::wstring& description,
                  std::int32_t number = kBindFailureNumber);
    // Every Bind, and every member of every object this binder made, fails.
    void FailEverything(const std::wstring& description,
                        std::int32_t number = kScriptedFailureNumber);
    void StopFailing() { failEverything_ = false; }

    // Display names bound (or attempted), in order.
    std::vector<std::wstring> binds;
    // Every Bind and every use of every object this binder made, in order.
    std::vector<AutoCall> journal;
    // The Call records of one method across all objects, in order.
    std::vector<AutoCall> CallsTo(const std::wstring& method) const;

    sysaccess::AutoObjectPtr Bind(const std::wstring& displayName) override;

  private:
    friend class FakeAutoObject;
    std::map<std::wstring, sysaccess::AutoObjectPtr> objects_;
    std::map<std::wstring, FakeAutoObject::Failure> failures_;
    bool failEverything_ = false;
    FakeAutoObject::Failure everything_{};
};

}  // namespace testing_support

namespace sysaccess {
// Lets GoogleTest print variants in failed assertions.
void PrintTo(const Variant& value, std::ostream* os);
}  // namespace sysaccess
