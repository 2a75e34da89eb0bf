#include "sysaccess/Variant.h"

#include <climits>
#include <cwctype>

#include "sysaccess/VbError.h"

namespace sysaccess {

namespace {

// Parses an optionally signed decimal number with optional fraction,
// surrounded by optional blanks; rounds halves to even as late-bound
// conversions do.
bool ParseNumber(const std::wstring& text, std::int32_t& out) {
    std::size_t i = 0, n = text.size();
    while (i < n && text[i] == L' ') ++i;
    bool negative = false;
    if (i < n && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    long double value = 0;
    bool digits = false;
    while (i < n && text[i] >= L'0' && text[i] <= L'9') {
        value = value * 10 + (text[i++] - L'0');
        digits = true;
        if (value > 1e12L) return false;
    }
    if (i < n && text[i] == L'.') {
        ++i;
        long double scale = 0.1L;
        while (i < n && text[i] >= L'0' && text[i] <= L'9') {
            value += (text[i++] - L'0') * scale;
            scale /= 10;
            digits = true;
        }
    }
    while (i < n && text[i] == L' ') ++i;
    if (!digits || i != n) return false;
    if (negative) value = -value;
    long double floor = static_cast<long double>(static_cast<long long>(value));
    if (value < 0 && floor != value) floor -= 1;
    long double frac = value - floor;
    long long rounded = static_cast<long long>(floor);
    if (frac > 0.5L || (frac == 0.5L && (rounded % 2 != 0))) ++rounded;
    if (rounded < INT32_MIN || rounded > INT32_MAX) return false;
    out = static_cast<std::int32_t>(rounded);
    return true;
}

}  // namespace

std::wstring Variant::ToText() const {
    struct Visitor {
        std::wstring operator()(const EmptyValue&) const { return L""; }
        std::wstring operator()(const NullValue&) const { return L""; }
        std::wstring operator()(const std::wstring& s) const { return s; }
        std::wstring operator()(std::int16_t i) const { return std::to_wstring(i); }
        std::wstring operator()(std::int32_t i) const { return std::to_wstring(i); }
        std::wstring operator()(bool b) const { return b ? L"True" : L"False"; }
        std::wstring operator()(const Bytes& b) const {
            // A byte array converts to text as its bytes taken as characters.
            return std::wstring(b.begin(), b.end());
        }
        std::wstring operator()(const Array&) const {
            throw VbError(kErrTypeMismatch, L"", L"Type mismatch");
        }
        std::wstring operator()(const AutoObjectPtr&) const {
            throw VbError(kErrTypeMismatch, L"", L"Type mismatch");
        }
    };
    return std::visit(Visitor{}, value_);
}

std::int32_t Variant::ToInt32() const {
    struct Visitor {
        std::int32_t operator()(const EmptyValue&) const { return 0; }
        std::int32_t operator()(const NullValue&) const {
            throw VbError(94, L"", L"Invalid use of Null");
        }
        std::int32_t operator()(const std::wstring& s) const {
            std::int32_t v = 0;
            if (!ParseNumber(s, v)) throw VbError(kErrTypeMismatch, L"", L"Type mismatch");
            return v;
        }
        std::int32_t operator()(std::int16_t i) const { return i; }
        std::int32_t operator()(std::int32_t i) const { return i; }
        std::int32_t operator()(bool b) const { return b ? -1 : 0; }
        std::int32_t operator()(const Bytes&) const {
            throw VbError(kErrTypeMismatch, L"", L"Type mismatch");
        }
        std::int32_t operator()(const Array&) const {
            throw VbError(kErrTypeMismatch, L"", L"Type mismatch");
        }
        std::int32_t operator()(const AutoObjectPtr&) const {
            throw VbError(kErrTypeMismatch, L"", L"Type mismatch");
        }
    };
    return std::visit(Visitor{}, value_);
}

bool Variant::ToBool() const {
    if (IsNull() || IsEmpty()) return false;
    if (IsBool()) return std::get<bool>(value_);
    if (IsText()) {
        std::wstring lower;
        for (wchar_t c : Text()) lower.push_back(static_cast<wchar_t>(std::towlower(c)));
        if (lower == L"true") return true;
        if (lower == L"false") return false;
    }
    return ToInt32() != 0;
}

bool Variant::operator==(const Variant& other) const { return value_ == other.value_; }

}  // namespace sysaccess
