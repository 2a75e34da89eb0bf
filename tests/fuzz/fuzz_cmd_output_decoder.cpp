// Feeds arbitrary bytes, cut into arbitrary chunks, to the runner's chunk
// decoder and checks that the text equals the decoding of the whole stream
// at once. The first input byte chooses the code page layout (UTF-8,
// Shift-JIS-like double-byte, GB18030-like) and seeds the chunk sizes; the
// converters below are plain readings of those encodings, written without
// the decoder's own helpers.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sysaccess/CmdOutput.h"

namespace {

using sysaccess::CodePageLayout;
constexpr wchar_t kReplacement = 0xFFFD;

class Utf8 : public sysaccess::ICodePage {
  public:
    const CodePageLayout& Layout() const override { return layout_; }
    void AppendDecoded(const char* data, std::size_t size, std::wstring& out) const override {
        const auto* p = reinterpret_cast<const unsigned char*>(data);
        std::size_t i = 0;
        while (i < size) {
            const unsigned char b = p[i];
            const std::size_t len = b < 0x80                 ? 1
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

class DoubleByte : public sysaccess::ICodePage {
  public:
    const CodePageLayout& Layout() const override { return layout_; }
    void AppendDecoded(const char* data, std::size_t size, std::wstring& out) const override {
        const auto* p = reinterpret_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            const unsigned char b = p[i];
            const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
            if (!lead)
                out.push_back(b);
            else if (i + 1 < size)
                out.push_back(static_cast<wchar_t>(0x10000 + (b << 8 | p[++i])));
            else
                out.push_back(kReplacement);
        }
    }

  private:
    CodePageLayout layout_ = CodePageLayout::DoubleByte({{0x81, 0x9F}, {0xE0, 0xFC}});
};

class Gb18030 : public sysaccess::ICodePage {
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
                if (i + 3 >= size) {
                    out.push_back(kReplacement);
                    break;
                }
                out.push_back(static_cast<wchar_t>(
                    0x200000 + (p[i] << 24 | p[i + 1] << 16 | p[i + 2] << 8 | p[i + 3]) % 0xFFFFF));
                i += 4;
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    static const Utf8 utf8;
    static const DoubleByte doubleByte;
    static const Gb18030 gb18030;
    const sysaccess::ICodePage* pages[] = {&utf8, &doubleByte, &gb18030};
    const sysaccess::ICodePage& page = *pages[data[0] % 3];
    unsigned int seed = data[0] / 3u + 1;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    const std::size_t length = size - 1;

    std::wstring whole;
    page.AppendDecoded(bytes, length, whole);

    sysaccess::ChunkedTextDecoder decoder(page);
    std::wstring chunked;
    std::size_t at = 0;
    while (at < length) {
        seed = seed * 1103515245u + 12345u;
        const std::size_t piece = std::min<std::size_t>((seed >> 16) % 6, length - at);
        decoder.Append(bytes + at, piece, chunked);
        at += piece;
    }
    decoder.Finish(chunked);
    if (chunked != whole || decoder.PendingBytes() != 0) {
        std::fprintf(stderr, "chunked decoding differs from whole decoding (layout %d)\n",
                     data[0] % 3);
        std::abort();
    }
    return 0;
}
