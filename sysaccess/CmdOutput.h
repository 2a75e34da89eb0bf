#pragma once
// The portable half of the command runner: turning the bytes that a child
// process writes into its pipe, chunk by chunk, into text.
//
// A pipe read ends wherever the writer's bytes happened to end, which is
// often in the middle of a character of a multibyte code page (the lead byte
// of a DBCS pair, or part of a UTF-8 sequence). Converting each chunk on its
// own would turn both halves into replacement characters, so the decoder
// converts only the complete characters of each chunk and keeps the
// incomplete tail for the next one.
#include <array>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>

namespace sysaccess {

// The runner's fixed answer when the process cannot be started.
inline constexpr wchar_t kCreateProcessFailedText[] =
    L"Failed to create process, check the path of the command line.";

// The size of the pipe buffer and of every read.
inline constexpr std::size_t kPipeChunkSize = 1024;

// How the characters of a code page are laid out in bytes; enough to tell
// where a character that was cut off at the end of a chunk begins.
struct CodePageLayout {
    enum class Kind {
        SingleByte,  // every byte is a character
        DoubleByte,  // a lead byte and one trail byte (932, 936, 949, 950, ...)
        Utf8,        // 65001
        Gb18030,     // 54936: one, two or four bytes
    };
    Kind kind = Kind::SingleByte;
    // Lead bytes of a double-byte code page.
    std::array<bool, 256> leadByte{};

    static CodePageLayout SingleByte() { return {}; }
    static CodePageLayout Utf8() { return {Kind::Utf8, {}}; }
    static CodePageLayout Gb18030() { return {Kind::Gb18030, {}}; }
    // Lead bytes given as inclusive ranges, as the system reports them.
    static CodePageLayout DoubleByte(std::initializer_list<std::pair<int, int>> leadRanges);
};

// The number of bytes that the character starting at data occupies, judged
// from its first bytes (available of them are present, at least one). A
// result larger than available means the character is cut off. Invalid
// sequences count as one byte (the converter replaces them).
std::size_t CharacterLength(const CodePageLayout& layout, const unsigned char* data,
                            std::size_t available);

// The number of bytes at the end of data that start a character whose
// remaining bytes have not arrived yet. data must begin on a character
// boundary. Invalid sequences count as complete (the converter replaces them).
std::size_t IncompleteTailLength(const CodePageLayout& layout, const unsigned char* data,
                                 std::size_t size);

// A code page: its layout and its conversion of complete characters.
class ICodePage {
  public:
    virtual ~ICodePage() = default;
    virtual const CodePageLayout& Layout() const = 0;
    // Appends the text of size bytes (whole characters, or the last bytes of
    // the stream) to out.
    virtual void AppendDecoded(const char* data, std::size_t size, std::wstring& out) const = 0;
};

// Decodes a byte stream that arrives in chunks of any size.
class ChunkedTextDecoder {
  public:
    explicit ChunkedTextDecoder(const ICodePage& codePage) : codePage_(codePage) {}

    // Converts the complete characters of the carried-over bytes and chunk,
    // appending their text to out; keeps an incomplete last character.
    void Append(const char* chunk, std::size_t size, std::wstring& out);
    // The stream ended: converts whatever is still held back (the converter
    // decides what a cut-off character becomes).
    void Finish(std::wstring& out);

    std::size_t PendingBytes() const { return pendingSize_; }

  private:
    const ICodePage& codePage_;
    // At most three bytes of one character ever wait here (four-byte
    // characters of UTF-8 and GB18030), plus room for the next chunk's start.
    std::array<char, 8> pending_{};
    std::size_t pendingSize_ = 0;
};

// Reads a byte stream to its end and returns its text. read fills the buffer
// with up to capacity bytes, stores how many it gave and returns false when
// the stream has ended (or failed); what was read before stays in the result.
using ChunkReader = std::function<bool(char* buffer, std::size_t capacity, std::size_t& read)>;
std::wstring ReadAllText(const ChunkReader& read, const ICodePage& codePage,
                         std::size_t chunkSize = kPipeChunkSize);

}  // namespace sysaccess
