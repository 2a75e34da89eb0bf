#pragma once
// Late-bound objects: management instrumentation reached through "winmgmts:"
// monikers and the local account directory reached through "WinNT://" paths.
// Members are used by name. Every failure throws sysaccess::VbError whose
// Description() is the text the callers show.
#include <string>
#include <vector>

#include "sysaccess/Variant.h"

namespace sysaccess {

class IAutoObject {
public:
    virtual ~IAutoObject() = default;
    // Property get (asked as property-get or method, as late binding does).
    virtual Variant Get(const std::wstring& name) = 0;
    // Property put.
    virtual void Put(const std::wstring& name, const Variant& value) = 0;
    // Method call with positional arguments. Texts are passed by reference,
    // option flags as 16-bit integers, a null argument as Variant::Null().
    virtual Variant Call(const std::wstring& method, const std::vector<Variant>& args) = 0;
    // The members of a collection (such as the result of "ExecQuery"), in order.
    virtual std::vector<AutoObjectPtr> Items() = 0;
};

class IObjectBinder {
public:
    virtual ~IObjectBinder() = default;
    // Binds a moniker ("winmgmts:...") or a directory path ("WinNT://...").
    virtual AutoObjectPtr Bind(const std::wstring& displayName) = 0;
};

}  // namespace sysaccess
