#pragma once
// Late-bound objects for tests: "winmgmts:" monikers and "WinNT://" paths
// bound to scripted objects. One journal, shared by the binder and every
// object it made, records in order what the code did, type-exact:
//   bind winmgmts:{impersonationLevel=impersonate}!\\PC\root\cimv2
//   <label>.ExecQuery("Select * from Win32_ComputerSystem")
//   PC.JoinDomainOrWorkGroup("corp", "pw", "admin", null, int16 35)
//   user.Disabled = int16 -1
// (texts quoted, int16 and bool tagged, 32-bit integers bare, [a, b] arrays).
// Member names match without regard to case, as IDispatch does. A member
// that was not scripted, a query text that was not scripted and a display
// name that was not added (an unreachable one) all fail, as the real binder would.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sysaccess/IAutomation.h"
#include "sysaccess/TextCase.h"
#include "sysaccess/Variant.h"
#include "sysaccess/VbError.h"

namespace fakes {

constexpr std::int32_t kScriptedFailureNumber = static_cast<std::int32_t>(0x80041001u);

std::wstring Describe(const sysaccess::Variant& value);

class FakeObjects;

class FakeObject : public sysaccess::IAutoObject {
  public:
    // What a method call (or a property get, with no arguments) answers; it
    // may throw sysaccess::VbError (see Fails).
    using Handler = std::function<sysaccess::Variant(const std::vector<sysaccess::Variant>& args)>;

    FakeObject(FakeObjects& owner, std::wstring label) : owner_(owner), label_(std::move(label)) {}
    const std::wstring& Label() const { return label_; }

    // The one way to script a member.
    FakeObject& On(const std::wstring& member, Handler handler) {
        handlers_[sysaccess::ToLower(member)] = std::move(handler);
        return *this;
    }
    // Sugar: a property value (Get answers it, Put replaces it), and
    // "ExecQuery" with exactly this text answering a collection of the items.
    FakeObject& Set(const std::wstring& property, sysaccess::Variant value) {
        values_[sysaccess::ToLower(property)] = std::move(value);
        return *this;
    }
    FakeObject& Query(const std::wstring& text, std::vector<sysaccess::AutoObjectPtr> items);
    std::vector<sysaccess::AutoObjectPtr> items;  // when the object is a collection

    sysaccess::Variant Get(const std::wstring& name) override;
    void Put(const std::wstring& name, const sysaccess::Variant& value) override;
    sysaccess::Variant Call(const std::wstring& method,
                            const std::vector<sysaccess::Variant>& args) override;
    std::vector<sysaccess::AutoObjectPtr> Items() override;

  private:
    FakeObjects& owner_;
    std::wstring label_;
    std::map<std::wstring, Handler> handlers_;           // by lower-cased member name
    std::map<std::wstring, sysaccess::Variant> values_;  // by lower-cased property name
    std::map<std::wstring, std::vector<sysaccess::AutoObjectPtr>> queries_;
};

// Handlers for FakeObject::On.
inline FakeObject::Handler Returns(sysaccess::Variant result) {
    return [result](const std::vector<sysaccess::Variant>&) { return result; };
}
inline FakeObject::Handler Fails(std::wstring description) {
    return [description](const std::vector<sysaccess::Variant>&) -> sysaccess::Variant {
        throw sysaccess::VbError(kScriptedFailureNumber, L"", description);
    };
}

class FakeObjects : public sysaccess::IObjectBinder {
  public:
    // An object that binding the display name yields (its label is the name).
    std::shared_ptr<FakeObject> Add(const std::wstring& displayName) {
        return objects_[displayName] = New(displayName);
    }
    // An object bound by no name (query results, created accounts).
    std::shared_ptr<FakeObject> New(const std::wstring& label) {
        return std::make_shared<FakeObject>(*this, label);
    }
    // Every bind and every member of every object fails with the description.
    void FailEverything(std::wstring description, std::int32_t number = kScriptedFailureNumber) {
        everything_.emplace(number, L"", std::move(description));
    }

    std::vector<std::wstring> journal;

    sysaccess::AutoObjectPtr Bind(const std::wstring& displayName) override;

  private:
    friend class FakeObject;
    std::map<std::wstring, std::shared_ptr<FakeObject>> objects_;
    std::optional<sysaccess::VbError> everything_;
};

}  // namespace fakes
