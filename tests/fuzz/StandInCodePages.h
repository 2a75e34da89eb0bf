#pragma once
// Small stand-in code pages with the byte layouts of real ones (Shift-JIS-like
// double-byte, UTF-8, GB18030), each a plain reading of its encoding written
// without the runner's chunk decoder, for the decoder's native tests and its
// fuzz target. A character that is invalid or cut off by the end of the data
// becomes U+FFFD for its first byte, and reading goes on with the next byte.
#include <cstddef>
#include <string>

#include "sysaccess/CmdOutput.h"

namespace standin {

constexpr wchar_t kReplacement = 0xFFFD;

// Lead bytes as in code page 932: 0x81-0x9F and 0xE0-0xFC; a pair becomes
// the character (lead << 8 | trail) + 0x1000.
class DoubleByte : public sysaccess::ICodePage {
  public:
    const sysaccess::CodePageLayout& Layout() const override { return layout_; }
    void AppendDecoded(const char* data, std::size_t size, std::wstring& out) const override {
        const auto* p = reinterpret_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            const bool lead = (p[i] >= 0x81 && p[i] <= 0x9F) || (p[i] >= 0xE0 && p[i] <= 0xFC);
            if (!lead)
                out.push_back(p[i]);
            else if (i + 1 < size)
                out.push_back(static_cast<wchar_t>(((p[i] << 8) | p[i + 1]) + 0x1000)), ++i;
            else
                out.push_back(kReplacement);
        }
    }

  private:
    sysaccess::CodePageLayout layout_ =
        sysaccess::CodePageLayout::DoubleByte({{0x81, 0x9F}, {0xE0, 0xFC}});
};

// UTF-8 into code points (wchar_t holds them on this platform).
class Utf8 : public sysaccess::ICodePage {
  public:
    const sysaccess::CodePageLayout& Layout() const override { return layout_; }
    void AppendDecoded(const char* data, std::size_t size, std::wstring& out) const override {
        const auto* p = reinterpret_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size;) {
            const unsigned char b = p[i];
            const std::size_t len = b < 0x80                 ? 1
                                    : b >= 0xC2 && b <= 0xDF ? 2
                                    : b >= 0xE0 && b <= 0xEF ? 3
                                    : b >= 0xF0 && b <= 0xF4 ? 4
                                                             : 0;
            bool ok = len > 0 && i + len <= size;
            for (std::size_t k = 1; ok && k < len; ++k) ok = (p[i + k] & 0xC0) == 0x80;
            if (!ok) {
                out.push_back(kReplacement), ++i;
                continue;
            }
            unsigned int cp = len == 1 ? b : b & (0xFF >> (len + 1));
            for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (p[i + k] & 0x3F);
            out.push_back(static_cast<wchar_t>(cp)), i += len;
        }
    }

  private:
    sysaccess::CodePageLayout layout_ = sysaccess::CodePageLayout::Utf8();
};

// GB18030's shape: ASCII; a lead byte 0x81-0xFE followed by 0x30-0x39 starts
// a four-byte character, followed by anything else a two-byte one.
class Gb18030 : public sysaccess::ICodePage {
  public:
    const sysaccess::CodePageLayout& Layout() const override { return layout_; }
    void AppendDecoded(const char* data, std::size_t size, std::wstring& out) const override {
        const auto* p = reinterpret_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size;) {
            const bool four = i + 1 < size && p[i + 1] >= 0x30 && p[i + 1] <= 0x39;
            if (p[i] < 0x81 || p[i] == 0xFF) {
                out.push_back(p[i]), ++i;
            } else if (four && i + 3 < size) {
                out.push_back(static_cast<wchar_t>(
                    0x100000 + (p[i] << 16 | p[i + 1] << 8 | p[i + 3]) % 0xFFFF)),
                    i += 4;
            } else if (four) {
                out.push_back(kReplacement), i = size;
            } else if (i + 1 < size) {
                out.push_back(static_cast<wchar_t>(0x20000 + (p[i] << 8 | p[i + 1]))), i += 2;
            } else {
                out.push_back(kReplacement), ++i;
            }
        }
    }

  private:
    sysaccess::CodePageLayout layout_ = sysaccess::CodePageLayout::Gb18030();
};

}  // namespace standin
