#pragma once
// The error that the system-access classes raise: a number, a source and a
// description, as the dialogs show them.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace sysaccess {

class VbError : public std::runtime_error {
public:
    VbError(std::int32_t number, std::wstring source, std::wstring description);

    std::int32_t Number() const { return number_; }
    const std::wstring& Source() const { return source_; }
    const std::wstring& Description() const { return description_; }

private:
    std::int32_t number_;
    std::wstring source_;
    std::wstring description_;
};

// Numbers shared by several classes.
constexpr std::int32_t kErrInvalidArgument = 5;
constexpr std::int32_t kErrTypeMismatch = 13;
constexpr std::int32_t kObjectErrorBase = static_cast<std::int32_t>(0x80040000u);

}  // namespace sysaccess
