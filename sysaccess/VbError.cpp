#include "sysaccess/VbError.h"

namespace sysaccess {

namespace {

// Only for what(); callers show Description().
std::string Narrow(const std::wstring& w) {
    std::string s;
    s.reserve(w.size());
    for (wchar_t c : w) s.push_back(c < 128 ? static_cast<char>(c) : '?');
    return s;
}

}  // namespace

VbError::VbError(std::int32_t number, std::wstring source, std::wstring description)
    : std::runtime_error(Narrow(description)),
      number_(number),
      source_(std::move(source)),
      description_(std::move(description)) {}

}  // namespace sysaccess
