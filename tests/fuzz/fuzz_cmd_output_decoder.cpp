// Feeds arbitrary bytes, cut into arbitrary chunks, to the runner's chunk
// decoder and checks that the text equals the decoding of the whole stream
// at once. The first input byte chooses the code page layout (UTF-8,
// Shift-JIS-like double-byte, GB18030-like) and seeds the chunk sizes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "sysaccess/CmdOutput.h"
#include "tests/fuzz/StandInCodePages.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    static const std::unique_ptr<sysaccess::ICodePage> pages[] = {
        std::make_unique<standin::Utf8>(), std::make_unique<standin::DoubleByte>(),
        std::make_unique<standin::Gb18030>()};
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    std::wstring whole, chunked;
    pages[data[0] % 3]->AppendDecoded(bytes, size - 1, whole);

    sysaccess::ChunkedTextDecoder decoder(*pages[data[0] % 3]);
    for (std::size_t at = 0, seed = data[0] / 3u + 1, piece; at < size - 1; at += piece) {
        seed = seed * 1103515245u + 12345u;
        piece = std::min<std::size_t>((seed >> 16) % 6, size - 1 - at);
        decoder.Append(bytes + at, piece, chunked);
    }
    decoder.Finish(chunked);
    if (chunked != whole || decoder.PendingBytes() != 0) std::abort();
    return 0;
}
