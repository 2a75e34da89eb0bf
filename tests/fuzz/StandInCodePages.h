#pragma once
// Small stand-in code pages with the byte layouts of real ones (Shift-JIS-like
// double-byte, UTF-8, GB18030), each a plain reading of its encoding written
// without the runner's chunk decoder, for the decoder's native tests and its
// fuzz target. A character that is invalid or cut off by the end of the data
// becomes U+FFFD for its first byte, and reading goes on with the next byte;
// a cut-off four-byte GB18030 character ends the data.
#include <cstddef>
#include <string>
#include <utility>

#include "sysaccess/CmdOutput.h"

namespace standin {

constexpr wchar_t kReplacement = 0xFFFD;

// The character at p (n > 0 bytes left) and the bytes it takes.
using Read = std::pair<wchar_t, std::size_t>;

template <Read (*read)(const unsigned char* p, std::size_t n),
          sysaccess::CodePageLayout (*layout)()>
struct CodePage : sysaccess::ICodePage {
    const sysaccess::CodePageLayout& Layout() const override { return layout_; }
    void AppendDecoded(const char* data, std::size_t size, std::wstring& out) const override {
        const auto* p = reinterpret_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size;) {
            const auto [character, length] = read(p + i, size - i);
            out.push_back(character);
            i += length;
        }
    }
    sysaccess::CodePageLayout layout_ = layout();
};

// Lead bytes as in code page 932: 0x81-0x9F and 0xE0-0xFC; a pair becomes
// the character (lead << 8 | trail) + 0x1000.
inline Read ReadDoubleByte(const unsigned char* p, std::size_t n) {
    if ((p[0] < 0x81 || p[0] > 0x9F) && (p[0] < 0xE0 || p[0] > 0xFC)) return {p[0], 1};
    return n < 2 ? Read{kReplacement, 1} : Read{wchar_t(((p[0] << 8) | p[1]) + 0x1000), 2};
}
inline sysaccess::CodePageLayout DoubleByteLayout() {
    return sysaccess::CodePageLayout::DoubleByte({{0x81, 0x9F}, {0xE0, 0xFC}});
}
using DoubleByte = CodePage<ReadDoubleByte, DoubleByteLayout>;

// UTF-8 into code points (wchar_t holds them on this platform).
inline Read ReadUtf8(const unsigned char* p, std::size_t n) {
    const std::size_t length = p[0] < 0x80                    ? 1
                               : p[0] >= 0xC2 && p[0] <= 0xDF ? 2
                               : p[0] >= 0xE0 && p[0] <= 0xEF ? 3
                               : p[0] >= 0xF0 && p[0] <= 0xF4 ? 4
                                                              : 0;
    if (length == 0 || length > n) return {kReplacement, 1};
    unsigned int code = length == 1 ? p[0] : p[0] & (0xFF >> (length + 1));
    for (std::size_t k = 1; k < length; ++k) {
        if ((p[k] & 0xC0) != 0x80) return {kReplacement, 1};
        code = (code << 6) | (p[k] & 0x3F);
    }
    return {wchar_t(code), length};
}
using Utf8 = CodePage<ReadUtf8, sysaccess::CodePageLayout::Utf8>;

// GB18030's shape: ASCII; a lead byte 0x81-0xFE followed by 0x30-0x39 starts
// a four-byte character, followed by anything else a two-byte one.
inline Read ReadGb18030(const unsigned char* p, std::size_t n) {
    if (p[0] < 0x81 || p[0] == 0xFF) return {p[0], 1};
    if (n < 2) return {kReplacement, 1};
    if (p[1] < 0x30 || p[1] > 0x39) return {wchar_t(0x20000 + (p[0] << 8 | p[1])), 2};
    return n < 4 ? Read{kReplacement, n}
                 : Read{wchar_t(0x100000 + (p[0] << 16 | p[1] << 8 | p[3]) % 0xFFFF), 4};
}
using Gb18030 = CodePage<ReadGb18030, sysaccess::CodePageLayout::Gb18030>;

}  // namespace standin
