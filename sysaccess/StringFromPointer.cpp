#include "sysaccess/StringFromPointer.h"

#include <cstdint>
#include <cstring>

namespace sysaccess {

std::wstring StringFromPointer(const void* address) {
    if (address == nullptr) return std::wstring();
    const auto* bytes = static_cast<const unsigned char*>(address);
    // Counted like lstrlenW: 16-bit units up to the terminating NUL. memcpy
    // keeps the reads valid even when the address is not 2-byte aligned.
    std::size_t length = 0;
    for (;;) {
        std::uint16_t unit = 0;
        std::memcpy(&unit, bytes + length * 2, sizeof unit);
        if (unit == 0) break;
        ++length;
    }
    std::wstring text;
    text.reserve(length);
    for (std::size_t i = 0; i < length; ++i) {
        std::uint16_t unit = 0;
        std::memcpy(&unit, bytes + i * 2, sizeof unit);
        text.push_back(static_cast<wchar_t>(unit));
    }
    return text;
}

}  // namespace sysaccess
