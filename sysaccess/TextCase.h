#pragma once
// Letter case as the operating system maps it: ordinal, the same in every
// display language and locale. On Windows these are CompareStringOrdinal
// (ignoring case) and LCMapStringEx (invariant locale); elsewhere a stand-in
// that maps the Latin, Greek and Cyrillic letters the same way.
#include <string>

namespace sysaccess {

bool EqualsIgnoreCase(const std::wstring& a, const std::wstring& b);
std::wstring ToUpper(const std::wstring& text);
std::wstring ToLower(const std::wstring& text);

}  // namespace sysaccess
