#include "sysaccess/TextCase.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cwctype>
#endif

namespace sysaccess {

#ifdef _WIN32

namespace {

std::wstring Mapped(const std::wstring& text, DWORD flags) {
    if (text.empty()) return text;
    const int length = static_cast<int>(text.size());
    std::wstring out(text.size(), L'\0');
    const int written = ::LCMapStringEx(LOCALE_NAME_INVARIANT, flags, text.data(), length,
                                        out.data(), length, nullptr, nullptr, 0);
    return written == length ? out : text;
}

}  // namespace

bool EqualsIgnoreCase(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring ToUpper(const std::wstring& text) { return Mapped(text, LCMAP_UPPERCASE); }
std::wstring ToLower(const std::wstring& text) { return Mapped(text, LCMAP_LOWERCASE); }

#else

namespace {

// Where the C library's own mapping (ASCII only without a locale) falls short.
// Like the system, it leaves alone a letter whose capital lowers to another
// letter: final sigma, dotless i and long s stay as they are.
wchar_t Upper(wchar_t c) {
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F))
        return static_cast<wchar_t>(c - 0x20);
    if (c == 0x3AC) return 0x386;  // Greek letters with tonos
    if (c >= 0x3AD && c <= 0x3AF) return static_cast<wchar_t>(c - 0x25);
    if (c == 0x3CC) return 0x38C;
    if (c == 0x3CD || c == 0x3CE) return static_cast<wchar_t>(c - 0x3F);
    if (c >= 0x450 && c <= 0x45F) return static_cast<wchar_t>(c - 0x50);  // Ѐ to Џ
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17F && c != 0x131 && c != 0x138 && c != 0x149 &&
        ((c < 0x139 || c > 0x148) && c < 0x179 ? c % 2 == 1 : c % 2 == 0))
        return static_cast<wchar_t>(c - 1);  // Latin Extended-A pairs
    return static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
}

wchar_t Lower(wchar_t c) {
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F))
        return static_cast<wchar_t>(c + 0x20);
    if (c >= 0x400 && c <= 0x40F) return static_cast<wchar_t>(c + 0x50);
    if (c == 0x386 || (c >= 0x388 && c <= 0x38F && c != 0x38B && c != 0x38D))
        for (wchar_t lower = 0x3AC; lower <= 0x3CE; ++lower)
            if (Upper(lower) == c) return lower;
    if (c == 0x178) return 0xFF;
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x138 && c != 0x149 && Upper(c + 1) == c)
        return static_cast<wchar_t>(c + 1);
    return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
}

std::wstring Each(std::wstring text, wchar_t (*map)(wchar_t)) {
    for (wchar_t& c : text) c = map(c);
    return text;
}

}  // namespace

bool EqualsIgnoreCase(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && ToUpper(a) == ToUpper(b);
}

std::wstring ToUpper(const std::wstring& text) { return Each(text, Upper); }
std::wstring ToLower(const std::wstring& text) { return Each(text, Lower); }

#endif

}  // namespace sysaccess
