#include "win32/Win32Automation.h"

// clang-format off
#include <windows.h>
#include <objbase.h>
#include <oaidl.h>
#include <oleauto.h>
// clang-format on

#include <cstdio>
#include <memory>
#include <utility>
#include <variant>
#include <vector>

#include "sysaccess/VbError.h"
#include "win32/SystemLibrary.h"

namespace win32 {

namespace {

using sysaccess::AutoObjectPtr;
using sysaccess::Variant;
using sysaccess::VbError;

// --- the automation functions

// ole32 and oleaut32, loaded with the first binding rather than at start-up:
// most windows never bind anything, and the main menu never does.
struct AutomationApi {
    decltype(&::CoInitializeEx) CoInitializeEx = nullptr;
    decltype(&::CoUninitialize) CoUninitialize = nullptr;
    decltype(&::CoGetObject) CoGetObject = nullptr;
    decltype(&::GetErrorInfo) GetErrorInfo = nullptr;
    decltype(&::SetErrorInfo) SetErrorInfo = nullptr;
    decltype(&::SysAllocStringLen) SysAllocStringLen = nullptr;
    decltype(&::SysFreeString) SysFreeString = nullptr;
    decltype(&::SysStringLen) SysStringLen = nullptr;
    decltype(&::VariantInit) VariantInit = nullptr;
    decltype(&::VariantClear) VariantClear = nullptr;
    decltype(&::VariantCopyInd) VariantCopyInd = nullptr;
    decltype(&::VariantChangeType) VariantChangeType = nullptr;
    decltype(&::SafeArrayCreateVector) SafeArrayCreateVector = nullptr;
    decltype(&::SafeArrayDestroy) SafeArrayDestroy = nullptr;
    decltype(&::SafeArrayGetDim) SafeArrayGetDim = nullptr;
    decltype(&::SafeArrayGetLBound) SafeArrayGetLBound = nullptr;
    decltype(&::SafeArrayGetUBound) SafeArrayGetUBound = nullptr;
    decltype(&::SafeArrayGetElement) SafeArrayGetElement = nullptr;
    decltype(&::SafeArrayPutElement) SafeArrayPutElement = nullptr;
};

template <typename Declared>
bool Resolve(SystemLibrary& library, const char* name, Declared*& function) {
    function = library.Function<Declared>(name);
    return function != nullptr;
}

// The functions, loaded on first use. Raises the system's error when a DLL or
// a function is missing; every object, text and variant of this file is made
// after a successful load, so their owners may release them through it.
const AutomationApi& Api() {
    static AutomationApi api;
    static bool loaded = false;
    if (loaded) return api;
    AutomationApi found;
    const bool complete =
        Resolve(Ole32(), "CoInitializeEx", found.CoInitializeEx) &&
        Resolve(Ole32(), "CoUninitialize", found.CoUninitialize) &&
        Resolve(Ole32(), "CoGetObject", found.CoGetObject) &&
        Resolve(OleAut32(), "GetErrorInfo", found.GetErrorInfo) &&
        Resolve(OleAut32(), "SetErrorInfo", found.SetErrorInfo) &&
        Resolve(OleAut32(), "SysAllocStringLen", found.SysAllocStringLen) &&
        Resolve(OleAut32(), "SysFreeString", found.SysFreeString) &&
        Resolve(OleAut32(), "SysStringLen", found.SysStringLen) &&
        Resolve(OleAut32(), "VariantInit", found.VariantInit) &&
        Resolve(OleAut32(), "VariantClear", found.VariantClear) &&
        Resolve(OleAut32(), "VariantCopyInd", found.VariantCopyInd) &&
        Resolve(OleAut32(), "VariantChangeType", found.VariantChangeType) &&
        Resolve(OleAut32(), "SafeArrayCreateVector", found.SafeArrayCreateVector) &&
        Resolve(OleAut32(), "SafeArrayDestroy", found.SafeArrayDestroy) &&
        Resolve(OleAut32(), "SafeArrayGetDim", found.SafeArrayGetDim) &&
        Resolve(OleAut32(), "SafeArrayGetLBound", found.SafeArrayGetLBound) &&
        Resolve(OleAut32(), "SafeArrayGetUBound", found.SafeArrayGetUBound) &&
        Resolve(OleAut32(), "SafeArrayGetElement", found.SafeArrayGetElement) &&
        Resolve(OleAut32(), "SafeArrayPutElement", found.SafeArrayPutElement);
    if (!complete) {
        const DWORD error = Ole32().Error() ? Ole32().Error() : OleAut32().Error();
        const HRESULT hr = HRESULT_FROM_WIN32(error);
        throw VbError(static_cast<std::int32_t>(hr), L"Win32ObjectBinder", DescribeHresult(hr));
    }
    api = found;
    loaded = true;
    return api;
}

// --- owners of COM resources

template <typename T>
class ComPtr {
  public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr& other) : p_(other.p_) {
        if (p_) p_->AddRef();
    }
    ComPtr& operator=(const ComPtr& other) {
        if (this != &other) {
            if (other.p_) other.p_->AddRef();
            Reset();
            p_ = other.p_;
        }
        return *this;
    }
    // Takes over a reference the caller already owns.
    static ComPtr Attach(T* p) {
        ComPtr c;
        c.p_ = p;
        return c;
    }
    void Reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }
    T** Receive() {
        Reset();
        return &p_;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }
    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

  private:
    T* p_ = nullptr;
};

class Bstr {
  public:
    Bstr() = default;
    explicit Bstr(const std::wstring& text)
        : b_(Api().SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~Bstr() {
        if (b_) Api().SysFreeString(b_);
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR* Receive() {
        if (b_) Api().SysFreeString(b_);
        b_ = nullptr;
        return &b_;
    }
    BSTR Get() const { return b_; }
    BSTR* Address() { return &b_; }
    std::wstring Text() const {
        return b_ ? std::wstring(b_, Api().SysStringLen(b_)) : std::wstring();
    }

  private:
    BSTR b_ = nullptr;
};

class VariantHolder {
  public:
    VariantHolder() { Api().VariantInit(&v_); }
    ~VariantHolder() { Api().VariantClear(&v_); }
    VariantHolder(const VariantHolder&) = delete;
    VariantHolder& operator=(const VariantHolder&) = delete;
    VARIANT* Get() { return &v_; }
    const VARIANT& Ref() const { return v_; }

  private:
    VARIANT v_;
};

class SafeArrayHolder {
  public:
    explicit SafeArrayHolder(SAFEARRAY* array) : array_(array) {}
    ~SafeArrayHolder() {
        if (array_) Api().SafeArrayDestroy(array_);
    }
    SafeArrayHolder(const SafeArrayHolder&) = delete;
    SafeArrayHolder& operator=(const SafeArrayHolder&) = delete;
    SAFEARRAY* Get() const { return array_; }
    // Hands the array to a VARIANT that will destroy it.
    SAFEARRAY* Release() { return std::exchange(array_, nullptr); }

  private:
    SAFEARRAY* array_;
};

// EXCEPINFO's strings, freed whatever happens.
struct ExcepInfo {
    EXCEPINFO info{};
    ~ExcepInfo() {
        if (info.bstrSource) Api().SysFreeString(info.bstrSource);
        if (info.bstrDescription) Api().SysFreeString(info.bstrDescription);
        if (info.bstrHelpFile) Api().SysFreeString(info.bstrHelpFile);
    }
};

// --- failures

std::wstring Trimmed(std::wstring text) {
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n')) text.pop_back();
    return text;
}

// The thread's error information, if the failing object left some.
bool TakeErrorInfo(std::wstring& description, std::wstring& source) {
    ComPtr<IErrorInfo> info;
    if (Api().GetErrorInfo(0, info.Receive()) != S_OK || !info) return false;
    Bstr text, from;
    info->GetDescription(text.Receive());
    info->GetSource(from.Receive());
    description = text.Text();
    source = from.Text();
    return !description.empty();
}

[[noreturn]] void Fail(HRESULT hr, const std::wstring& what) {
    std::wstring description, source;
    if (!TakeErrorInfo(description, source)) description = DescribeHresult(hr);
    if (source.empty()) source = what;
    throw VbError(static_cast<std::int32_t>(hr), source, description);
}

[[noreturn]] void FailInvoke(HRESULT hr, ExcepInfo& excep, const std::wstring& what) {
    if (hr == DISP_E_EXCEPTION) {
        if (excep.info.pfnDeferredFillIn) excep.info.pfnDeferredFillIn(&excep.info);
        HRESULT code =
            excep.info.scode
                ? excep.info.scode
                : (excep.info.wCode ? MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, excep.info.wCode)
                                    : hr);
        std::wstring description =
            excep.info.bstrDescription
                ? std::wstring(excep.info.bstrDescription,
                               Api().SysStringLen(excep.info.bstrDescription))
                : std::wstring();
        std::wstring source =
            excep.info.bstrSource
                ? std::wstring(excep.info.bstrSource, Api().SysStringLen(excep.info.bstrSource))
                : what;
        if (description.empty()) {
            std::wstring ignored;
            if (!TakeErrorInfo(description, ignored)) description = DescribeHresult(code);
        }
        throw VbError(static_cast<std::int32_t>(code), source, description);
    }
    Fail(hr, what);
}

// --- conversions

class DispatchObject;
IDispatch* DispatchOf(const AutoObjectPtr& object);
AutoObjectPtr WrapDispatch(IDispatch* dispatch);  // takes a new reference

Variant FromVariant(const VARIANT& source);

Variant FromSafeArray(SAFEARRAY* array, VARTYPE elementType) {
    if (!array) return Variant(Variant::Array{});
    if (Api().SafeArrayGetDim(array) != 1)
        throw VbError(sysaccess::kErrTypeMismatch, L"Win32ObjectBinder",
                      L"Arrays of more than one dimension are not supported");
    LONG lower = 0, upper = -1;
    Api().SafeArrayGetLBound(array, 1, &lower);
    Api().SafeArrayGetUBound(array, 1, &upper);
    if (elementType == VT_UI1) {
        Variant::Bytes bytes;
        for (LONG i = lower; i <= upper; ++i) {
            unsigned char b = 0;
            if (SUCCEEDED(Api().SafeArrayGetElement(array, &i, &b))) bytes.push_back(b);
        }
        return Variant(std::move(bytes));
    }
    Variant::Array items;
    for (LONG i = lower; i <= upper; ++i) {
        VariantHolder element;
        HRESULT hr = S_OK;
        if (elementType == VT_VARIANT) {
            hr = Api().SafeArrayGetElement(array, &i, element.Get());
        } else if (elementType == VT_BSTR) {
            BSTR text = nullptr;
            hr = Api().SafeArrayGetElement(array, &i, &text);  // a copy we own
            if (SUCCEEDED(hr)) {
                element.Get()->vt = VT_BSTR;
                element.Get()->bstrVal = text;
            }
        } else {
            // Other element types: read into a VARIANT of that type.
            element.Get()->vt = elementType;
            hr = Api().SafeArrayGetElement(array, &i, &element.Get()->lVal);
            if (FAILED(hr)) element.Get()->vt = VT_EMPTY;
        }
        if (FAILED(hr)) Fail(hr, L"SafeArrayGetElement");
        items.push_back(FromVariant(element.Ref()));
    }
    return Variant(std::move(items));
}

Variant FromVariant(const VARIANT& source) {
    if (source.vt & VT_BYREF) {
        VariantHolder plain;
        HRESULT hr = Api().VariantCopyInd(plain.Get(), const_cast<VARIANT*>(&source));
        if (FAILED(hr)) Fail(hr, L"VariantCopyInd");
        return FromVariant(plain.Ref());
    }
    if (source.vt & VT_ARRAY)
        return FromSafeArray(source.parray, static_cast<VARTYPE>(source.vt & VT_TYPEMASK));
    switch (source.vt) {
        case VT_EMPTY:
            return Variant();
        case VT_NULL:
            return Variant::Null();
        case VT_BSTR:
            return Variant(source.bstrVal
                               ? std::wstring(source.bstrVal, Api().SysStringLen(source.bstrVal))
                               : std::wstring());
        case VT_I2:
            return Variant(static_cast<std::int16_t>(source.iVal));
        case VT_UI1:
            return Variant(static_cast<std::int16_t>(source.bVal));
        case VT_I1:
            return Variant(static_cast<std::int16_t>(source.cVal));
        case VT_I4:
            return Variant(static_cast<std::int32_t>(source.lVal));
        case VT_INT:
            return Variant(static_cast<std::int32_t>(source.intVal));
        case VT_BOOL:
            return Variant(source.boolVal != VARIANT_FALSE);
        case VT_DISPATCH:
            if (source.pdispVal) source.pdispVal->AddRef();
            return Variant(WrapDispatch(source.pdispVal));
        case VT_UNKNOWN: {
            if (!source.punkVal) return Variant(AutoObjectPtr());
            IDispatch* dispatch = nullptr;
            HRESULT hr =
                source.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
            if (FAILED(hr)) Fail(hr, L"QueryInterface");
            return Variant(WrapDispatch(dispatch));
        }
        case VT_ERROR:
            return Variant();
        default:
            break;
    }
    // Wider integers, reals, dates, currency: as a 32-bit integer when they
    // fit, else as text, as late-bound code would read them.
    VariantHolder converted;
    if (SUCCEEDED(
            Api().VariantChangeType(converted.Get(), const_cast<VARIANT*>(&source), 0, VT_I4)) &&
        (source.vt == VT_UI2 || source.vt == VT_UI4 || source.vt == VT_UINT || source.vt == VT_I8 ||
         source.vt == VT_UI8))
        return Variant(static_cast<std::int32_t>(converted.Ref().lVal));
    VariantHolder text;
    HRESULT hr = Api().VariantChangeType(text.Get(), const_cast<VARIANT*>(&source), 0, VT_BSTR);
    if (FAILED(hr)) Fail(hr, L"VariantChangeType");
    return FromVariant(text.Ref());
}

// Arguments of one call: the VARIANTs handed to Invoke and everything they
// point to, released together.
class ArgumentList {
  public:
    // byRefTexts: top-level texts go as VT_BYREF | VT_BSTR.
    ArgumentList(const std::vector<Variant>& args, bool byRefTexts) {
        const std::size_t n = args.size();
        variants_.resize(n);
        texts_.reserve(n);
        for (auto& v : variants_) Api().VariantInit(&v);
        try {
            // Invoke takes the arguments last first.
            for (std::size_t i = 0; i < n; ++i) Fill(variants_[n - 1 - i], args[i], byRefTexts);
        } catch (...) {
            Clear();
            throw;
        }
    }
    ~ArgumentList() { Clear(); }
    ArgumentList(const ArgumentList&) = delete;
    ArgumentList& operator=(const ArgumentList&) = delete;

    VARIANT* Data() { return variants_.empty() ? nullptr : variants_.data(); }
    UINT Count() const { return static_cast<UINT>(variants_.size()); }

  private:
    void Clear() {
        for (auto& v : variants_) Api().VariantClear(&v);  // by-reference ones clear to nothing
    }

    void Fill(VARIANT& out, const Variant& value, bool byRefTexts) {
        struct Visitor {
            ArgumentList& self;
            VARIANT& out;
            bool byRef;
            void operator()(const sysaccess::EmptyValue&) const { out.vt = VT_EMPTY; }
            void operator()(const sysaccess::NullValue&) const { out.vt = VT_NULL; }
            void operator()(const std::wstring& s) const {
                if (byRef) {
                    self.texts_.push_back(std::make_unique<Bstr>(s));
                    out.vt = VT_BYREF | VT_BSTR;
                    out.pbstrVal = self.texts_.back()->Address();
                } else {
                    out.vt = VT_BSTR;
                    out.bstrVal = Api().SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
                }
            }
            void operator()(std::int16_t i) const {
                out.vt = VT_I2;
                out.iVal = i;
            }
            void operator()(std::int32_t i) const {
                out.vt = VT_I4;
                out.lVal = i;
            }
            void operator()(bool b) const {
                out.vt = VT_BOOL;
                out.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
            }
            void operator()(const Variant::Bytes& bytes) const {
                SafeArrayHolder array(
                    Api().SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size())));
                if (!array.Get()) Fail(E_OUTOFMEMORY, L"SafeArrayCreateVector");
                for (LONG i = 0; i < static_cast<LONG>(bytes.size()); ++i) {
                    unsigned char b = bytes[static_cast<std::size_t>(i)];
                    Api().SafeArrayPutElement(array.Get(), &i, &b);
                }
                out.vt = VT_ARRAY | VT_UI1;
                out.parray = array.Release();
            }
            void operator()(const Variant::Array& items) const {
                SafeArrayHolder array(
                    Api().SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(items.size())));
                if (!array.Get()) Fail(E_OUTOFMEMORY, L"SafeArrayCreateVector");
                for (LONG i = 0; i < static_cast<LONG>(items.size()); ++i) {
                    VariantHolder element;
                    self.Fill(*element.Get(), items[static_cast<std::size_t>(i)], false);
                    HRESULT hr =
                        Api().SafeArrayPutElement(array.Get(), &i, element.Get());  // copies
                    if (FAILED(hr)) Fail(hr, L"SafeArrayPutElement");
                }
                out.vt = VT_ARRAY | VT_VARIANT;
                out.parray = array.Release();
            }
            void operator()(const AutoObjectPtr& object) const {
                IDispatch* dispatch = DispatchOf(object);
                if (dispatch) dispatch->AddRef();
                out.vt = VT_DISPATCH;
                out.pdispVal = dispatch;
            }
        };
        std::visit(Visitor{*this, out, byRefTexts}, value.storage());
    }

    std::vector<VARIANT> variants_;
    std::vector<std::unique_ptr<Bstr>> texts_;
};

// --- the late-bound object

class DispatchObject : public sysaccess::IAutoObject {
  public:
    explicit DispatchObject(ComPtr<IDispatch> dispatch) : dispatch_(std::move(dispatch)) {}

    IDispatch* Dispatch() const { return dispatch_.Get(); }

    Variant Get(const std::wstring& name) override {
        ArgumentList none({}, false);
        return Invoke(name, IdOf(name), DISPATCH_PROPERTYGET | DISPATCH_METHOD, none, false);
    }

    void Put(const std::wstring& name, const Variant& value) override {
        ArgumentList args({value}, false);
        // An object is assigned by reference, as a Set statement does.
        const WORD flags = value.IsObject() ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT;
        Invoke(name, IdOf(name), flags, args, true);
    }

    Variant Call(const std::wstring& method, const std::vector<Variant>& args) override {
        ArgumentList list(args, true);
        const DISPID id = IdOf(method);
        VariantHolder result;
        // A member that is a property with parameters (a collection's Item)
        // refuses a pure method call; late-bound code then asks it as a
        // property get, which it would have done for a call whose result it uses.
        if (TryInvoke(method, id, DISPATCH_METHOD, list, result) == DISP_E_MEMBERNOTFOUND)
            InvokeRaw(method, id, DISPATCH_METHOD | DISPATCH_PROPERTYGET, list, false, result);
        return FromVariant(result.Ref());
    }

    std::vector<AutoObjectPtr> Items() override {
        ArgumentList none({}, false);
        VariantHolder result;
        InvokeRaw(L"_NewEnum", DISPID_NEWENUM, DISPATCH_PROPERTYGET | DISPATCH_METHOD, none, false,
                  result);
        const VARIANT& v = result.Ref();
        IUnknown* unknown = v.vt == VT_UNKNOWN    ? v.punkVal
                            : v.vt == VT_DISPATCH ? static_cast<IUnknown*>(v.pdispVal)
                                                  : nullptr;
        if (!unknown) Fail(DISP_E_TYPEMISMATCH, L"_NewEnum");
        ComPtr<IEnumVARIANT> enumerator;
        HRESULT hr = unknown->QueryInterface(IID_IEnumVARIANT, enumerator.ReceiveVoid());
        if (FAILED(hr)) Fail(hr, L"_NewEnum");
        std::vector<AutoObjectPtr> items;
        for (;;) {
            VariantHolder item;
            ULONG fetched = 0;
            hr = enumerator->Next(1, item.Get(), &fetched);
            if (FAILED(hr)) Fail(hr, L"IEnumVARIANT::Next");
            if (hr != S_OK || fetched == 0) break;
            Variant converted = FromVariant(item.Ref());
            items.push_back(converted.IsObject() ? converted.Object() : AutoObjectPtr());
        }
        return items;
    }

  private:
    DISPID IdOf(const std::wstring& name) {
        DISPID id = DISPID_UNKNOWN;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name.c_str())};
        Api().SetErrorInfo(0, nullptr);
        HRESULT hr = dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        if (FAILED(hr)) Fail(hr, name);
        return id;
    }

    // As InvokeRaw, but returns DISP_E_MEMBERNOTFOUND instead of raising it.
    HRESULT TryInvoke(const std::wstring& name, DISPID id, WORD flags, ArgumentList& args,
                      VariantHolder& result) {
        DISPPARAMS params{args.Data(), nullptr, args.Count(), 0};
        ExcepInfo excep;
        UINT argError = 0;
        Api().SetErrorInfo(0, nullptr);
        HRESULT hr = dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                       result.Get(), &excep.info, &argError);
        if (hr == DISP_E_MEMBERNOTFOUND) return hr;
        if (FAILED(hr)) FailInvoke(hr, excep, name);
        return hr;
    }

    void InvokeRaw(const std::wstring& name, DISPID id, WORD flags, ArgumentList& args, bool put,
                   VariantHolder& result) {
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{args.Data(), put ? &named : nullptr, args.Count(), put ? 1u : 0u};
        ExcepInfo excep;
        UINT argError = 0;
        Api().SetErrorInfo(0, nullptr);
        HRESULT hr = dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                       put ? nullptr : result.Get(), &excep.info, &argError);
        if (FAILED(hr)) FailInvoke(hr, excep, name);
    }

    Variant Invoke(const std::wstring& name, DISPID id, WORD flags, ArgumentList& args, bool put) {
        VariantHolder result;
        InvokeRaw(name, id, flags, args, put, result);
        return FromVariant(result.Ref());
    }

    ComPtr<IDispatch> dispatch_;
};

IDispatch* DispatchOf(const AutoObjectPtr& object) {
    if (!object) return nullptr;
    auto* real = dynamic_cast<DispatchObject*>(object.get());
    if (!real)
        throw VbError(sysaccess::kErrTypeMismatch, L"Win32ObjectBinder",
                      L"Only objects of this binder can be passed to its methods");
    return real->Dispatch();
}

AutoObjectPtr WrapDispatch(IDispatch* dispatch) {
    if (!dispatch) return AutoObjectPtr();
    return std::make_shared<DispatchObject>(ComPtr<IDispatch>::Attach(dispatch));
}

// Texts for failures that some systems have no message for, worded as the
// automation and management instrumentation libraries word them.
const wchar_t* KnownFailureText(HRESULT hr) {
    switch (static_cast<unsigned long>(hr)) {
        case 0x80020003ul:
            return L"Member not found.";
        case 0x80020005ul:
            return L"Type mismatch.";
        case 0x80020006ul:
            return L"Unknown name.";
        case 0x8002000Eul:
            return L"Invalid number of parameters.";
        case 0x800401E4ul:
            return L"Invalid syntax";
        case 0x800401E5ul:
            return L"The object could not be found";
        case 0x800401EAul:
            return L"Operation unavailable";
        case 0x80041001ul:
            return L"Generic failure";
        case 0x80041002ul:
            return L"Not found";
        case 0x80041003ul:
            return L"Access denied";
        case 0x80041008ul:
            return L"Invalid parameter";
        case 0x8004100Cul:
            return L"Not supported";
        case 0x8004100Eul:
            return L"Invalid namespace";
        case 0x80041010ul:
            return L"Invalid class";
        case 0x80041017ul:
            return L"Invalid query";
        case 0x8004102Eul:
            return L"Invalid method";
        case 0x80041055ul:
            return L"Method not implemented";
        default:
            return nullptr;
    }
}

}  // namespace

std::wstring DescribeHresult(long hr) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    std::unique_ptr<wchar_t, decltype(&::LocalFree)> owner(buffer, &::LocalFree);
    if (length > 0 && buffer) {
        std::wstring text = Trimmed(std::wstring(buffer, length));
        if (!text.empty()) return text;
    }
    if (const wchar_t* known = KnownFailureText(hr)) return known;
    wchar_t code[32];
    std::swprintf(code, 32, L"0x%08lX", static_cast<unsigned long>(hr));
    return L"Automation error " + std::wstring(code);
}

Win32ObjectBinder::~Win32ObjectBinder() {
    if (comInitialized_) Api().CoUninitialize();
}

sysaccess::AutoObjectPtr Win32ObjectBinder::Bind(const std::wstring& displayName) {
    if (!comJoined_) {
        const HRESULT hr = Api().CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        comInitialized_ = SUCCEEDED(hr);  // S_FALSE too: it must be balanced
        comJoined_ = true;
    }
    ComPtr<IDispatch> dispatch;
    Api().SetErrorInfo(0, nullptr);
    const HRESULT hr =
        Api().CoGetObject(displayName.c_str(), nullptr, IID_IDispatch, dispatch.ReceiveVoid());
    if (FAILED(hr)) Fail(hr, displayName);
    if (!dispatch) Fail(E_NOINTERFACE, displayName);
    return std::make_shared<DispatchObject>(dispatch);
}

}  // namespace win32
