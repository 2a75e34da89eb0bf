#include "tests/fakes/FakeAutomation.h"

#include <variant>

namespace fakes {

using sysaccess::AutoObjectPtr;
using sysaccess::ToLower;
using sysaccess::Variant;
using sysaccess::VbError;

namespace {

std::wstring List(const std::vector<Variant>& values) {
    std::wstring out;
    for (const Variant& v : values) out += (out.empty() ? L"" : L", ") + Describe(v);
    return out;
}

constexpr std::int32_t kBindFailureNumber = static_cast<std::int32_t>(0x800401E4u);  // MK_E_SYNTAX

[[noreturn]] void UnknownMember() {
    throw VbError(438, L"", L"Object doesn't support this property or method");
}

}  // namespace

std::wstring Describe(const Variant& value) {
    struct Visitor {
        std::wstring operator()(const sysaccess::EmptyValue&) const { return L"empty"; }
        std::wstring operator()(const sysaccess::NullValue&) const { return L"null"; }
        std::wstring operator()(const std::wstring& s) const { return L"\"" + s + L"\""; }
        std::wstring operator()(std::int16_t i) const { return L"int16 " + std::to_wstring(i); }
        std::wstring operator()(std::int32_t i) const { return std::to_wstring(i); }
        std::wstring operator()(bool b) const { return b ? L"bool true" : L"bool false"; }
        std::wstring operator()(const Variant::Bytes& b) const {
            return L"bytes(" + std::to_wstring(b.size()) + L")";
        }
        std::wstring operator()(const Variant::Array& a) const { return L"[" + List(a) + L"]"; }
        std::wstring operator()(const AutoObjectPtr& o) const {
            auto fake = std::dynamic_pointer_cast<FakeObject>(o);
            return L"<" + (fake ? fake->Label() : std::wstring(o ? L"object" : L"nothing")) + L">";
        }
    };
    return std::visit(Visitor{}, value.storage());
}

FakeObject& FakeObject::Query(const std::wstring& text, std::vector<AutoObjectPtr> found) {
    queries_[text] = std::move(found);
    return On(L"ExecQuery", [this](const std::vector<Variant>& args) -> Variant {
        auto it = queries_.find(args.at(0).Text());
        if (it == queries_.end()) throw VbError(kScriptedFailureNumber, L"", L"Invalid query");
        auto collection = owner_.New(label_ + L" query");
        collection->items = it->second;
        return Variant(AutoObjectPtr(collection));
    });
}

Variant FakeObject::Get(const std::wstring& name) {
    if (owner_.everything_) throw *owner_.everything_;
    if (auto it = values_.find(ToLower(name)); it != values_.end()) return it->second;
    if (auto it = handlers_.find(ToLower(name)); it != handlers_.end()) return it->second({});
    UnknownMember();
}

void FakeObject::Put(const std::wstring& name, const Variant& value) {
    owner_.journal.push_back(label_ + L"." + name + L" = " + Describe(value));
    if (owner_.everything_) throw *owner_.everything_;
    if (auto it = handlers_.find(ToLower(name)); it != handlers_.end()) it->second({value});
    values_[ToLower(name)] = value;
}

Variant FakeObject::Call(const std::wstring& method, const std::vector<Variant>& args) {
    owner_.journal.push_back(label_ + L"." + method + L"(" + List(args) + L")");
    if (owner_.everything_) throw *owner_.everything_;
    auto it = handlers_.find(ToLower(method));
    if (it == handlers_.end()) UnknownMember();
    return it->second(args);
}

std::vector<AutoObjectPtr> FakeObject::Items() {
    if (owner_.everything_) throw *owner_.everything_;
    return items;
}

AutoObjectPtr FakeObjects::Bind(const std::wstring& displayName) {
    journal.push_back(L"bind " + displayName);
    if (everything_) throw *everything_;
    auto it = objects_.find(displayName);
    if (it == objects_.end()) throw VbError(kBindFailureNumber, L"", L"Invalid syntax");
    return it->second;
}

}  // namespace fakes
