#include "sysaccess/CmdOutput.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace sysaccess {

namespace {

bool IsUtf8Continuation(unsigned char b) { return b >= 0x80 && b <= 0xBF; }

std::size_t Utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 1;  // ASCII, a stray continuation byte or an invalid lead
}

std::size_t Utf8IncompleteTail(const unsigned char* data, std::size_t size) {
    // A UTF-8 character is at most four bytes, so only the last three bytes
    // can belong to one that is cut off; find the lead byte among them.
    const std::size_t lookBack = std::min<std::size_t>(size, 3);
    for (std::size_t back = 1; back <= lookBack; ++back) {
        const unsigned char b = data[size - back];
        if (IsUtf8Continuation(b)) continue;
        const std::size_t need = Utf8SequenceLength(b);
        if (need <= back) return 0;
        // Every byte after the lead must be a continuation byte, or the
        // sequence is invalid anyway and is left to the converter.
        return CharacterLength(CodePageLayout::Utf8(), data + size - back, back) > back ? back : 0;
    }
    return 0;
}

}  // namespace

CodePageLayout CodePageLayout::DoubleByte(std::initializer_list<std::pair<int, int>> leadRanges) {
    CodePageLayout layout;
    layout.kind = Kind::DoubleByte;
    for (const auto& [first, last] : leadRanges)
        for (int b = std::max(first, 0); b <= std::min(last, 255); ++b)
            layout.leadByte[static_cast<std::size_t>(b)] = true;
    return layout;
}

std::size_t CharacterLength(const CodePageLayout& layout, const unsigned char* data,
                            std::size_t available) {
    if (available == 0) return 1;
    const unsigned char first = data[0];
    switch (layout.kind) {
        case CodePageLayout::Kind::SingleByte:
            return 1;
        case CodePageLayout::Kind::DoubleByte:
            return layout.leadByte[first] ? 2 : 1;
        case CodePageLayout::Kind::Utf8: {
            const std::size_t need = Utf8SequenceLength(first);
            const std::size_t present = std::min(need, available);
            for (std::size_t i = 1; i < present; ++i)
                if (!IsUtf8Continuation(data[i])) return 1;
            return need;
        }
        case CodePageLayout::Kind::Gb18030:
            if (first < 0x81 || first == 0xFF) return 1;
            if (available < 2) return 2;
            return (data[1] >= 0x30 && data[1] <= 0x39) ? 4 : 2;
    }
    return 1;
}

std::size_t IncompleteTailLength(const CodePageLayout& layout, const unsigned char* data,
                                 std::size_t size) {
    switch (layout.kind) {
        case CodePageLayout::Kind::SingleByte:
            return 0;
        case CodePageLayout::Kind::Utf8:
            return Utf8IncompleteTail(data, size);
        case CodePageLayout::Kind::DoubleByte:
        case CodePageLayout::Kind::Gb18030:
            break;
    }
    // Trail bytes of these code pages may look like lead bytes, so the
    // character boundaries are only known by walking from the start.
    std::size_t i = 0;
    while (i < size) {
        const std::size_t length = CharacterLength(layout, data + i, size - i);
        if (i + length > size) return size - i;
        i += length;
    }
    return 0;
}

void ChunkedTextDecoder::Append(const char* chunk, std::size_t size, std::wstring& out) {
    const CodePageLayout& layout = codePage_.Layout();
    const char* p = chunk;
    std::size_t n = size;
    auto pendingBytes = [this] { return reinterpret_cast<const unsigned char*>(pending_.data()); };
    // Complete the held-back character with the first bytes of this chunk.
    std::size_t taken = 0;  // bytes moved from the chunk into pending_
    while (pendingSize_ > 0) {
        std::size_t need = CharacterLength(layout, pendingBytes(), pendingSize_);
        while (need > pendingSize_ && n > 0 && pendingSize_ < pending_.size()) {
            pending_[pendingSize_++] = *p++;
            --n;
            ++taken;
            need = CharacterLength(layout, pendingBytes(), pendingSize_);
        }
        if (need > pendingSize_) return;  // still cut off: wait for more
        codePage_.AppendDecoded(pending_.data(), need, out);
        // A broken sequence may end before the held bytes do: what follows it
        // is read again, from the chunk where it came from the chunk.
        const std::size_t rest = pendingSize_ - need;
        const std::size_t backToChunk = std::min(rest, taken);
        p -= backToChunk;
        n += backToChunk;
        if (rest > backToChunk)
            std::memmove(pending_.data(), pending_.data() + need, rest - backToChunk);
        pendingSize_ = rest - backToChunk;
        taken = 0;
    }
    const std::size_t tail =
        IncompleteTailLength(layout, reinterpret_cast<const unsigned char*>(p), n);
    if (n > tail) codePage_.AppendDecoded(p, n - tail, out);
    if (tail > 0) std::memcpy(pending_.data(), p + (n - tail), tail);
    pendingSize_ = tail;
}

void ChunkedTextDecoder::Finish(std::wstring& out) {
    if (pendingSize_ > 0) codePage_.AppendDecoded(pending_.data(), pendingSize_, out);
    pendingSize_ = 0;
}

std::wstring ReadAllText(const ChunkReader& read, const ICodePage& codePage,
                         std::size_t chunkSize) {
    std::wstring text;
    std::vector<char> buffer(std::max<std::size_t>(chunkSize, 1));
    ChunkedTextDecoder decoder(codePage);
    for (;;) {
        std::size_t got = 0;
        if (!read(buffer.data(), buffer.size(), got)) break;
        decoder.Append(buffer.data(), std::min(got, buffer.size()), text);
    }
    decoder.Finish(text);
    return text;
}

}  // namespace sysaccess
