#pragma once
// Small stand-in code pages with the byte layouts of real ones (single-byte,
// Shift-JIS-like double-byte, UTF-8, GB18030), each decoded independently of
// the runner's chunk decoder, for the decoder's tests and fuzz target.
#include <cstddef>
#include <string>

#include "sysaccess/CmdOutput.h"

namespace testing_support {

using sysaccess::CodePageLayout;

constexpr wchar_t kReplacement = 0xFFFD;

// Bytes 0x80..0xFF become U+0180..U+01FF, so that a byte converted twice or
// taken from a stale buffer shows.
class FakeSingleByte : public sysaccess::ICodePage {
  public:
    const CodePageLayout& Layout() const override { return layout_; }
    void AppendDecoded(const char* data, std::size_t size, std::wstring& out) const override {
        ++calls;
        for (std::size_t i = 0; i < size; ++i) {
            const auto b = static_cast<unsigned char>(data[i]);
            out.push_back(b < 0x80 ? static_cast<wchar_t>(b) : static_cast<wchar_t>(0x100 + b));
        }
    }
    mutable int calls = 0;

  private:
    CodePageLayout layout_ = CodePageLayout::SingleByte();
};

// Lead bytes as in code page 932: 0x81-0x9F and 0xE0-0xFC; a pair becomes
// the character (lead << 8 | trail) + 0x1000, a lone lead at the end U+FFFD.
class FakeDoubleByte : public sysaccess::ICodePage {
  public:
    const CodePageLayout& Layout() const override { return layout_; }
    static bool IsLead(unsigned char b) {
        return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    }
    void AppendDecoded(const char* data, std::size_t size, std::wstring& out) const override {
        for (std::size_t i = 0; i < size; ++i) {
            const auto b = static_cast<unsigned char>(data[i]);
            if (!IsLead(b)) {
                out.push_back(static_cast<wchar_t>(b));
            } else if (i + 1 < size) {
                const auto t = static_cast<unsigned char>(data[++i]);
                out.push_back(static_cast<wchar_t>(((b << 8) | t) + 0x1000));
            } else {
                out.push_back(kReplacement);
            }
        }
    }

  private:
    CodePageLayout layout_ = CodePageLayout::DoubleByte({{0x81, 0x9F}, {0xE0, 0xFC}});
};

// UTF-8 into code points (wchar_t is wide enough on this platform); an
// invalid or cut-off sequence gives U+FFFD for its first byte and decoding
// goes on with the next byte.
class FakeUtf8 : public sysaccess::ICodePage {
  public:
    const CodePageLayout& Layout() const override { return layout_; }
    void AppendDecoded(const char* data, std::size_t size, std::wstring& out) const override {
        const auto* p = reinterpret_cast<const unsigned char*>(data);
        std::size_t i = 0;
        while (i < size) {
            const unsigned char b = p[i];
            std::size_t len = b < 0x80                 ? 1
                              : b >= 0xC2 && b <= 0xDF ? 2
                              : b >= 0xE0 && b <= 0xEF ? 3
                              : b >= 0xF0 && b <= 0xF4 ? 4
                                                       : 0;
            bool ok = len > 0 && i + len <= size;
            for (std::size_t k = 1; ok && k < len; ++k) ok = (p[i + k] & 0xC0) == 0x80;
            if (!ok) {
                out.push_back(kReplacement);
                ++i;
                continue;
            }
            unsigned int cp = len == 1 ? b : b & (0xFF >> (len + 1));
            for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (p[i + k] & 0x3F);
            out.push_back(static_cast<wchar_t>(cp));
            i += len;
        }
    }

  private:
    CodePageLayout layout_ = CodePageLayout::Utf8();
};

// GB18030's shape: ASCII; lead 0x81-0xFE with a second byte 0x30-0x39 starts
// a four-byte character, with any other second byte a two-byte one.
class FakeGb18030 : public sysaccess::ICodePage {
  public:
    const CodePageLayout& Layout() const override { return layout_; }
    void AppendDecoded(const char* data, std::size_t size, std::wstring& out) const override {
        const auto* p = reinterpret_cast<const unsigned char*>(data);
        std::size_t i = 0;
        while (i < size) {
            const unsigned char b = p[i];
            if (b < 0x81 || b == 0xFF) {
                out.push_back(b);
                ++i;
            } else if (i + 1 < size && p[i + 1] >= 0x30 && p[i + 1] <= 0x39) {
                if (i + 3 < size) {
                    out.push_back(static_cast<wchar_t>(
                        0x100000 + (p[i] << 16 | p[i + 1] << 8 | p[i + 3]) % 0xFFFF));
                    i += 4;
                } else {
                    out.push_back(kReplacement);
                    i = size;
                }
            } else if (i + 1 < size) {
                out.push_back(static_cast<wchar_t>(0x20000 + (b << 8 | p[i + 1])));
                i += 2;
            } else {
                out.push_back(kReplacement);
                ++i;
            }
        }
    }

  private:
    CodePageLayout layout_ = CodePageLayout::Gb18030();
};

}  // namespace testing_support
