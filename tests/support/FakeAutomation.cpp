#include "tests/support/FakeAutomation.h"

#include <cwctype>
#include <string>
#include <variant>

namespace testing_support {

using sysaccess::AutoObjectPtr;
using sysaccess::Variant;
using sysaccess::VbError;

namespace {

std::wstring Lower(const std::wstring& text) {
    std::wstring out = text;
    for (auto& c : out) c = static_cast<wchar_t>(std::towlower(c));
    return out;
}

const wchar_t* KindName(AutoCall::Kind kind) {
    switch (kind) {
        case AutoCall::Kind::Bind:
            return L"Bind";
        case AutoCall::Kind::Get:
            return L"Get";
        case AutoCall::Kind::Put:
            return L"Put";
        case AutoCall::Kind::Call:
            return L"Call";
        case AutoCall::Kind::Items:
            return L"Items";
    }
    return L"?";
}

const std::wstring kUnknownMember = L"Object doesn't support this property or method";

}  // namespace

std::wstring DescribeVariant(const Variant& value) {
    struct Visitor {
        std::wstring operator()(const sysaccess::EmptyValue&) const { return L"empty"; }
        std::wstring operator()(const sysaccess::NullValue&) const { return L"null"; }
        std::wstring operator()(const std::wstring& s) const { return L"text \"" + s + L"\""; }
        std::wstring operator()(std::int16_t i) const { return L"int16 " + std::to_wstring(i); }
        std::wstring operator()(std::int32_t i) const { return L"int32 " + std::to_wstring(i); }
        std::wstring operator()(bool b) const { return b ? L"bool true" : L"bool false"; }
        std::wstring operator()(const Variant::Bytes& b) const {
            return L"bytes(" + std::to_wstring(b.size()) + L")";
        }
        std::wstring operator()(const Variant::Array& a) const {
            std::wstring out = L"array [";
            for (std::size_t i = 0; i < a.size(); ++i) {
                if (i) out += L", ";
                out += DescribeVariant(a[i]);
            }
            return out + L"]";
        }
        std::wstring operator()(const AutoObjectPtr& o) const {
            if (!o) return L"object <nothing>";
            if (auto fake = std::dynamic_pointer_cast<FakeAutoObject>(o))
                return L"object <" + fake->Label() + L">";
            return L"object <real>";
        }
    };
    return std::visit(Visitor{}, value.storage());
}

std::wstring DescribeCall(const AutoCall& call) {
    std::wstring out = KindName(call.kind);
    out += L" ";
    if (call.kind == AutoCall::Kind::Bind) return out + call.member;
    out += call.object + L"." + call.member;
    if (call.kind == AutoCall::Kind::Call || call.kind == AutoCall::Kind::Put) {
        out += L"(";
        for (std::size_t i = 0; i < call.args.size(); ++i) {
            if (i) out += L", ";
            out += DescribeVariant(call.args[i]);
        }
        out += L")";
    }
    if (call.failed) out += L" -> failed";
    return out;
}

// ---------------------------------------------------------------- object

FakeAutoObject::FakeAutoObject(std::wstring label) : label_(std::move(label)) {}

FakeAutoObject& FakeAutoObject::SetProperty(const std::wstring& name, Variant value) {
    properties_[Lower(name)] = std::move(value);
    failingProperties_.erase(Lower(name));
    return *this;
}

FakeAutoObject& FakeAutoObject::FailProperty(const std::wstring& name,
                                             const std::wstring& description, std::int32_t number) {
    failingProperties_[Lower(name)] = Failure{number, description};
    return *this;
}

FakeAutoObject& FakeAutoObject::OnCall(const std::wstring& method, Variant result) {
    return OnCallSequence(method, {std::move(result)});
}

FakeAutoObject& FakeAutoObject::OnCallSequence(const std::wstring& method,
                                               std::vector<Variant> results) {
    MethodScript script;
    script.results.assign(results.begin(), results.end());
    if (script.results.empty()) script.results.push_back(Variant());
    methods_[Lower(method)] = std::move(script);
    return *this;
}

FakeAutoObject& FakeAutoObject::OnCall(const std::wstring& method, Handler handler) {
    MethodScript script;
    script.handler = std::move(handler);
    methods_[Lower(method)] = std::move(script);
    return *this;
}

FakeAutoObject& FakeAutoObject::FailCall(const std::wstring& method,
                                         const std::wstring& description, std::int32_t number) {
    MethodScript script;
    script.failing = true;
    script.failure = Failure{number, description};
    methods_[Lower(method)] = std::move(script);
    return *this;
}

std::shared_ptr<FakeAutoObject> FakeAutoObject::OnQuery(const std::wstring& queryText,
                                                        std::vector<AutoObjectPtr> items) {
    auto collection = std::make_shared<FakeAutoObject>(label_ + L" ExecQuery(" + queryText + L")");
    collection->binder_ = binder_;
    collection->SetItems(std::move(items));
    queries_[queryText] = collection;
    failingQueries_.erase(queryText);
    return collection;
}

FakeAutoObject& FakeAutoObject::FailQuery(const std::wstring& queryText,
                                          const std::wstring& description, std::int32_t number) {
    failingQueries_[queryText] = Failure{number, description};
    queries_.erase(queryText);
    return *this;
}

FakeAutoObject& FakeAutoObject::SetItems(std::vector<AutoObjectPtr> items) {
    items_ = std::move(items);
    return *this;
}

FakeAutoObject& FakeAutoObject::AddItem(AutoObjectPtr item) {
    items_.push_back(std::move(item));
    return *this;
}

FakeAutoObject& FakeAutoObject::FailEverything(const std::wstring& description,
                                               std::int32_t number) {
    failEverything_ = true;
    everything_ = Failure{number, description};
    return *this;
}

std::vector<AutoCall> FakeAutoObject::CallsTo(const std::wstring& method) const {
    std::vector<AutoCall> found;
    const std::wstring key = Lower(method);
    for (const auto& c : calls)
        if (c.kind == AutoCall::Kind::Call && Lower(c.member) == key) found.push_back(c);
    return found;
}

std::vector<Variant> FakeAutoObject::PutsTo(const std::wstring& property) const {
    std::vector<Variant> found;
    const std::wstring key = Lower(property);
    for (const auto& c : calls)
        if (c.kind == AutoCall::Kind::Put && Lower(c.member) == key && !c.args.empty())
            found.push_back(c.args.front());
    return found;
}

Variant FakeAutoObject::PropertyValue(const std::wstring& name) const {
    auto it = properties_.find(Lower(name));
    return it == properties_.end() ? Variant() : it->second;
}

std::vector<std::wstring> FakeAutoObject::MethodNames() const {
    std::vector<std::wstring> names;
    for (const auto& c : calls)
        if (c.kind == AutoCall::Kind::Call) names.push_back(c.member);
    return names;
}

void FakeAutoObject::Record(AutoCall call) {
    call.object = label_;
    calls.push_back(call);
    if (binder_) binder_->journal.push_back(std::move(call));
}

void FakeAutoObject::MarkLastFailed() {
    if (!calls.empty()) calls.back().failed = true;
    if (binder_ && !binder_->journal.empty()) binder_->journal.back().failed = true;
}

void FakeAutoObject::Raise(const Failure& failure, const std::wstring& member) {
    MarkLastFailed();
    throw VbError(failure.number, label_ + L"." + member, failure.description);
}

const FakeAutoObject::Failure* FakeAutoObject::EverythingFailure() const {
    if (failEverything_) return &everything_;
    if (binder_ && binder_->failEverything_) return &binder_->everything_;
    return nullptr;
}

Variant FakeAutoObject::Get(const std::wstring& name) {
    Record(AutoCall{AutoCall::Kind::Get, {}, name, {}, false});
    if (auto f = EverythingFailure()) Raise(*f, name);
    const std::wstring key = Lower(name);
    if (auto it = failingProperties_.find(key); it != failingProperties_.end())
        Raise(it->second, name);
    auto it = properties_.find(key);
    if (it == properties_.end()) Raise(Failure{kUnknownMemberNumber, kUnknownMember}, name);
    return it->second;
}

void FakeAutoObject::Put(const std::wstring& name, const Variant& value) {
    Record(AutoCall{AutoCall::Kind::Put, {}, name, {value}, false});
    if (auto f = EverythingFailure()) Raise(*f, name);
    const std::wstring key = Lower(name);
    if (auto it = failingProperties_.find(key); it != failingProperties_.end())
        Raise(it->second, name);
    properties_[key] = value;
}

Variant FakeAutoObject::Call(const std::wstring& method, const std::vector<Variant>& args) {
    Record(AutoCall{AutoCall::Kind::Call, {}, method, args, false});
    if (auto f = EverythingFailure()) Raise(*f, method);
    const std::wstring key = Lower(method);
    if (key == L"execquery" && !args.empty() && args.front().IsText() &&
        (!queries_.empty() || !failingQueries_.empty()) && !methods_.count(key)) {
        const std::wstring& query = args.front().Text();
        if (auto it = failingQueries_.find(query); it != failingQueries_.end())
            Raise(it->second, method);
        if (auto it = queries_.find(query); it != queries_.end())
            return Variant(AutoObjectPtr(it->second));
        Raise(Failure{kScriptedFailureNumber, L"Invalid query"}, method);
    }
    auto it = methods_.find(key);
    if (it == methods_.end()) Raise(Failure{kUnknownMemberNumber, kUnknownMember}, method);
    MethodScript& script = it->second;
    if (script.failing) Raise(script.failure, method);
    if (script.handler) {
        try {
            return script.handler(args);
        } catch (...) {
            MarkLastFailed();
            throw;
        }
    }
    Variant result = script.results.front();
    if (script.results.size() > 1) script.results.pop_front();
    return result;
}

std::vector<AutoObjectPtr> FakeAutoObject::Items() {
    Record(AutoCall{AutoCall::Kind::Items, {}, L"Items", {}, false});
    if (auto f = EverythingFailure()) Raise(*f, L"Items");
    return items_;
}

// ---------------------------------------------------------------- binder

std::shared_ptr<FakeAutoObject> FakeObjectBinder::AddObject(const std::wstring& displayName) {
    auto object = NewObject(displayName);
    Register(displayName, object);
    return object;
}

std::shared_ptr<FakeAutoObject> FakeObjectBinder::NewObject(const std::wstring& label) {
    auto object = std::make_shared<FakeAutoObject>(label);
    object->binder_ = this;
    return object;
}

void FakeObjectBinder::Register(const std::wstring& displayName, AutoObjectPtr object) {
    objects_[displayName] = std::move(object);
    failures_.erase(displayName);
}

void FakeObjectBinder::FailBind(const std::wstring& displayName, const std::wstring& description,
                                std::int32_t number) {
    failures_[displayName] = FakeAutoObject::Failure{number, description};
    objects_.erase(displayName);
}

void FakeObjectBinder::FailEverything(const std::wstring& description, std::int32_t number) {
    failEverything_ = true;
    everything_ = FakeAutoObject::Failure{number, description};
}

std::vector<AutoCall> FakeObjectBinder::CallsTo(const std::wstring& method) const {
    std::vector<AutoCall> found;
    const std::wstring key = Lower(method);
    for (const auto& c : journal)
        if (c.kind == AutoCall::Kind::Call && Lower(c.member) == key) found.push_back(c);
    return found;
}

AutoObjectPtr FakeObjectBinder::Bind(const std::wstring& displayName) {
    binds.push_back(displayName);
    journal.push_back(AutoCall{AutoCall::Kind::Bind, L"", displayName, {}, false});
    const FakeAutoObject::Failure* failure = nullptr;
    FakeAutoObject::Failure unknown{kBindFailureNumber, L"Invalid syntax"};
    if (failEverything_) {
        failure = &everything_;
    } else if (auto f = failures_.find(displayName); f != failures_.end()) {
        failure = &f->second;
    } else if (auto o = objects_.find(displayName); o != objects_.end()) {
        return o->second;
    } else {
        failure = &unknown;
    }
    journal.back().failed = true;
    throw VbError(failure->number, L"Bind", failure->description);
}

}  // namespace testing_support

namespace sysaccess {

void PrintTo(const Variant& value, std::ostream* os) {
    std::wstring text = testing_support::DescribeVariant(value);
    std::string narrow;
    for (wchar_t c : text) narrow.push_back(c < 128 ? static_cast<char>(c) : '?');
    *os << narrow;
}

}  // namespace sysaccess
