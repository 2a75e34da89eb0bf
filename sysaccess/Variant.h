#pragma once
// The variant value that registry values, instrumentation properties and method
// arguments travel in: text, 16-bit or 32-bit integer, Boolean, bytes, an array
// of variants, an automation object, null, or empty.
#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace sysaccess {

class IAutoObject;
using AutoObjectPtr = std::shared_ptr<IAutoObject>;

struct EmptyValue {
    bool operator==(const EmptyValue&) const = default;
};
struct NullValue {
    bool operator==(const NullValue&) const = default;
};

class Variant {
public:
    using Bytes = std::vector<std::uint8_t>;
    using Array = std::vector<Variant>;
    using Storage = std::variant<EmptyValue, NullValue, std::wstring, std::int16_t, std::int32_t,
                                 bool, Bytes, Array, AutoObjectPtr>;

    Variant() = default;
    Variant(EmptyValue) {}
    Variant(NullValue v) : value_(v) {}
    Variant(std::wstring s) : value_(std::move(s)) {}
    Variant(const wchar_t* s) : value_(std::wstring(s)) {}
    Variant(std::int16_t i) : value_(i) {}
    Variant(std::int32_t i) : value_(i) {}
    Variant(bool b) : value_(b) {}
    Variant(Bytes b) : value_(std::move(b)) {}
    Variant(Array a) : value_(std::move(a)) {}
    Variant(AutoObjectPtr o) : value_(std::move(o)) {}

    static Variant Null() { return Variant(NullValue{}); }

    bool IsEmpty() const { return std::holds_alternative<EmptyValue>(value_); }
    bool IsNull() const { return std::holds_alternative<NullValue>(value_); }
    bool IsText() const { return std::holds_alternative<std::wstring>(value_); }
    bool IsInteger() const {
        return std::holds_alternative<std::int16_t>(value_) ||
               std::holds_alternative<std::int32_t>(value_);
    }
    bool IsInt16() const { return std::holds_alternative<std::int16_t>(value_); }
    bool IsInt32() const { return std::holds_alternative<std::int32_t>(value_); }
    bool IsBool() const { return std::holds_alternative<bool>(value_); }
    bool IsBytes() const { return std::holds_alternative<Bytes>(value_); }
    bool IsArray() const { return std::holds_alternative<Array>(value_); }
    bool IsObject() const { return std::holds_alternative<AutoObjectPtr>(value_); }

    const Storage& storage() const { return value_; }

    const std::wstring& Text() const { return std::get<std::wstring>(value_); }
    const Bytes& BytesValue() const { return std::get<Bytes>(value_); }
    const Array& ArrayValue() const { return std::get<Array>(value_); }
    const AutoObjectPtr& Object() const { return std::get<AutoObjectPtr>(value_); }

    // Loose conversions in the manner of late-bound code: empty and null give
    // the empty text or 0, Booleans give -1 for true; texts are parsed as
    // decimal numbers where a number is asked for. ToInt32 throws
    // sysaccess::VbError 13 (type mismatch) for text that is not a number.
    std::wstring ToText() const;
    std::int32_t ToInt32() const;
    bool ToBool() const;

    bool operator==(const Variant& other) const;

private:
    Storage value_;
};

}  // namespace sysaccess
