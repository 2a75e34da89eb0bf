// Feeds arbitrary bytes, cut into arbitrary chunks, to the runner's chunk
// decoder and checks that the text equals the decoding of the whole stream
// at once. The first input byte chooses the code page layout (UTF-8,
// Shift-JIS-like double-byte, GB18030-like) and seeds the chunk sizes; the
// stand-in code pages are plain readings of those encodings, written without
// the decoder's own helpers.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sysaccess/CmdOutput.h"
#include "tests/fuzz/StandInCodePages.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    static const standin::Utf8 utf8;
    static const standin::DoubleByte doubleByte;
    static const standin::Gb18030 gb18030;
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
