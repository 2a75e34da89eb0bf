// The runner's byte-to-text decoding: characters cut at chunk seams must come
// out whole, exactly the bytes read are converted, and nothing is lost or
// doubled. The code pages here are small stand-ins with the byte layouts of
// real ones (single-byte, Shift-JIS-like double-byte, UTF-8, GB18030), each
// decoded independently of the decoder under test.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "sysaccess/CmdOutput.h"
#include "tests/support/FakeCodePages.h"

namespace {

using sysaccess::ChunkedTextDecoder;
using sysaccess::CodePageLayout;
using Bytes = std::vector<unsigned char>;

using testing_support::FakeDoubleByte;
using testing_support::FakeGb18030;
using testing_support::FakeSingleByte;
using testing_support::FakeUtf8;
using testing_support::kReplacement;

std::size_t Tail(const CodePageLayout& layout, const Bytes& bytes) {
    return sysaccess::IncompleteTailLength(layout, bytes.data(), bytes.size());
}

std::wstring DecodeWhole(const sysaccess::ICodePage& cp, const Bytes& bytes) {
    std::wstring out;
    cp.AppendDecoded(reinterpret_cast<const char*>(bytes.data()), bytes.size(), out);
    return out;
}

std::wstring DecodeInChunks(const sysaccess::ICodePage& cp, const Bytes& bytes,
                            const std::vector<std::size_t>& cuts) {
    ChunkedTextDecoder decoder(cp);
    std::wstring out;
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        decoder.Append(reinterpret_cast<const char*>(bytes.data() + from), cut - from, out);
        from = cut;
    }
    decoder.Append(reinterpret_cast<const char*>(bytes.data() + from), bytes.size() - from, out);
    decoder.Finish(out);
    return out;
}

Bytes RandomDoubleByteText(std::mt19937& rng, std::size_t characters) {
    Bytes bytes;
    std::uniform_int_distribution<int> pick(0, 9);
    for (std::size_t i = 0; i < characters; ++i) {
        if (pick(rng) < 4) {
            bytes.push_back(static_cast<unsigned char>(0x20 + pick(rng)));
        } else {
            // Trail bytes drawn from the lead-byte range too, the hard case.
            bytes.push_back(static_cast<unsigned char>(0x81 + pick(rng)));
            bytes.push_back(
                static_cast<unsigned char>(pick(rng) < 5 ? 0x81 + pick(rng) : 0x40 + pick(rng)));
        }
    }
    return bytes;
}

Bytes RandomUtf8Text(std::mt19937& rng, std::size_t characters) {
    const std::vector<Bytes> samples = {
        {'a'},  {0xC3, 0xA9}, {0xE2, 0x82, 0xAC}, {0xF0, 0x9F, 0x98, 0x80}, {0xE6, 0x97, 0xA5},
        {'\r'}, {'\n'}};
    std::uniform_int_distribution<std::size_t> pick(0, samples.size() - 1);
    Bytes bytes;
    for (std::size_t i = 0; i < characters; ++i) {
        const Bytes& s = samples[pick(rng)];
        bytes.insert(bytes.end(), s.begin(), s.end());
    }
    return bytes;
}

Bytes RandomGb18030Text(std::mt19937& rng, std::size_t characters) {
    const std::vector<Bytes> samples = {
        {'x'}, {0xB0, 0xA1}, {0x81, 0x30, 0x81, 0x30}, {0x95, 0x32, 0x82, 0x36}, {0x81, 0x81}};
    std::uniform_int_distribution<std::size_t> pick(0, samples.size() - 1);
    Bytes bytes;
    for (std::size_t i = 0; i < characters; ++i) {
        const Bytes& s = samples[pick(rng)];
        bytes.insert(bytes.end(), s.begin(), s.end());
    }
    return bytes;
}

std::vector<std::size_t> RandomCuts(std::mt19937& rng, std::size_t size) {
    std::vector<std::size_t> cuts;
    std::uniform_int_distribution<std::size_t> step(0, 7);
    for (std::size_t at = step(rng); at < size; at += step(rng)) cuts.push_back(at);
    return cuts;
}

TEST(CmdOutputLayout, DoubleByteBoundariesAreFoundFromTheStart) {
    const auto layout = CodePageLayout::DoubleByte({{0x81, 0x9F}, {0xE0, 0xFC}});
    EXPECT_EQ(Tail(layout, {0x41, 0x81}), 1u);
    EXPECT_EQ(Tail(layout, {0x81, 0x81}), 0u);        // the second 0x81 is a trail byte
    EXPECT_EQ(Tail(layout, {0x81, 0x81, 0x81}), 1u);  // and the third a lead again
    EXPECT_EQ(Tail(layout, {0x81, 0x40, 0x9F}), 1u);
    EXPECT_EQ(Tail(layout, {0x41, 0x42}), 0u);
    EXPECT_EQ(Tail(layout, {}), 0u);
    EXPECT_EQ(Tail(CodePageLayout::SingleByte(), {0x81}), 0u);
}

TEST(CmdOutputLayout, Utf8TailsAreCutOffSequencesOnly) {
    const auto layout = CodePageLayout::Utf8();
    EXPECT_EQ(Tail(layout, {0xE2, 0x82}), 2u);
    EXPECT_EQ(Tail(layout, {'a', 0xE2}), 1u);
    EXPECT_EQ(Tail(layout, {0xE2, 0x82, 0xAC}), 0u);
    EXPECT_EQ(Tail(layout, {0xF0, 0x9F, 0x98}), 3u);
    EXPECT_EQ(Tail(layout, {0xF0, 0x9F, 0x98, 0x80}), 0u);
    EXPECT_EQ(Tail(layout, {'a', 0x80}), 0u);   // stray continuation: invalid, not waiting
    EXPECT_EQ(Tail(layout, {0xE2, 0x41}), 0u);  // broken sequence: not waiting
    EXPECT_EQ(Tail(layout, {0xC3, 0xA9, 0xC3}), 1u);
    EXPECT_EQ(Tail(layout, {0xFF}), 0u);
}

TEST(CmdOutputLayout, Gb18030TwoAndFourByteCharacters) {
    const auto layout = CodePageLayout::Gb18030();
    EXPECT_EQ(Tail(layout, {0x81}), 1u);
    EXPECT_EQ(Tail(layout, {0x81, 0x30}), 2u);
    EXPECT_EQ(Tail(layout, {0x81, 0x30, 0x81}), 3u);
    EXPECT_EQ(Tail(layout, {0x81, 0x30, 0x81, 0x30}), 0u);
    EXPECT_EQ(Tail(layout, {0x81, 0x40}), 0u);
    EXPECT_EQ(Tail(layout, {0x81, 0x81, 0x81}), 1u);
}

TEST(CmdOutputDecoder, CharacterCutAtASeamComesOutWhole) {
    FakeDoubleByte dbcs;
    ChunkedTextDecoder decoder(dbcs);
    std::wstring out;
    const char first[] = {'a', '\x82'};
    const char second[] = {'\xA0', 'b'};
    decoder.Append(first, sizeof first, out);
    EXPECT_EQ(out, L"a");
    EXPECT_EQ(decoder.PendingBytes(), 1u);
    decoder.Append(second, sizeof second, out);
    decoder.Finish(out);
    EXPECT_EQ(out, std::wstring(L"a") + static_cast<wchar_t>(0x82A0 + 0x1000) + L"b");
}

TEST(CmdOutputDecoder, FourByteCharacterSpreadOverFourChunks) {
    FakeUtf8 utf8;
    ChunkedTextDecoder decoder(utf8);
    std::wstring out;
    for (char c : {'\xF0', '\x9F', '\x98', '\x80'}) {
        EXPECT_TRUE(out.empty());
        decoder.Append(&c, 1, out);
    }
    decoder.Append("", 0, out);
    decoder.Finish(out);
    EXPECT_EQ(out, std::wstring(1, static_cast<wchar_t>(0x1F600)));
}

TEST(CmdOutputDecoder, BrokenSequenceAcrossASeamKeepsTheFollowingBytes) {
    FakeUtf8 utf8;
    const Bytes bytes = {'x', 0xE2, 0x82, 'y', 'z'};
    const std::wstring expected = DecodeWhole(utf8, bytes);
    ASSERT_EQ(expected, (std::wstring{L'x', kReplacement, kReplacement, L'y', L'z'}));
    for (std::size_t cut = 0; cut <= bytes.size(); ++cut)
        EXPECT_EQ(DecodeInChunks(utf8, bytes, {cut}), expected) << "cut at " << cut;
}

TEST(CmdOutputDecoder, StreamEndingInsideACharacterStillShowsIt) {
    FakeDoubleByte dbcs;
    ChunkedTextDecoder decoder(dbcs);
    std::wstring out;
    decoder.Append("ok\x82", 3, out);
    decoder.Finish(out);
    EXPECT_EQ(out, std::wstring(L"ok") + kReplacement);
    EXPECT_EQ(decoder.PendingBytes(), 0u);
}

// Every way of cutting a stream gives the text of the whole stream, for each
// layout: the property that the 1024-byte reads depend on.
TEST(CmdOutputDecoder, AnySplitGivesTheTextOfTheWholeStream) {
    FakeDoubleByte dbcs;
    FakeUtf8 utf8;
    FakeGb18030 gb;
    std::mt19937 rng(20260612);
    for (int round = 0; round < 60; ++round) {
        const std::vector<std::pair<const sysaccess::ICodePage*, Bytes>> streams = {
            {&dbcs, RandomDoubleByteText(rng, 40)},
            {&utf8, RandomUtf8Text(rng, 40)},
            {&gb, RandomGb18030Text(rng, 40)},
        };
        for (const auto& [cp, bytes] : streams) {
            const std::wstring whole = DecodeWhole(*cp, bytes);
            ASSERT_EQ(whole.find(kReplacement), std::wstring::npos);
            for (std::size_t cut = 0; cut <= bytes.size(); ++cut)
                ASSERT_EQ(DecodeInChunks(*cp, bytes, {cut}), whole)
                    << "round " << round << ", cut " << cut;
            ASSERT_EQ(DecodeInChunks(*cp, bytes, RandomCuts(rng, bytes.size())), whole)
                << "round " << round;
        }
    }
}

// Arbitrary bytes (broken sequences included) decode the same however they
// are cut, as long as the converter is the same.
TEST(CmdOutputDecoder, ArbitraryBytesDecodeTheSameInChunks) {
    FakeUtf8 utf8;
    FakeDoubleByte dbcs;
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 300; ++round) {
        Bytes bytes(static_cast<std::size_t>(byte(rng) % 24));
        for (auto& b : bytes)
            b = static_cast<unsigned char>(byte(rng) < 128 ? 0x80 + byte(rng) % 0x80 : byte(rng));
        const auto cuts = RandomCuts(rng, bytes.size());
        EXPECT_EQ(DecodeInChunks(utf8, bytes, cuts), DecodeWhole(utf8, bytes)) << "round " << round;
        EXPECT_EQ(DecodeInChunks(dbcs, bytes, cuts), DecodeWhole(dbcs, bytes)) << "round " << round;
    }
}

// A reader that hands out scripted chunks through a buffer it never clears,
// as a pipe read does.
struct ScriptedPipe {
    std::vector<std::string> chunks;
    std::size_t next = 0;
    std::vector<std::size_t> capacities;
    bool operator()(char* buffer, std::size_t capacity, std::size_t& read) {
        capacities.push_back(capacity);
        if (next == chunks.size()) return false;
        const std::string& chunk = chunks[next++];
        std::copy(chunk.begin(), chunk.end(), buffer);
        read = chunk.size();
        return true;
    }
};

TEST(CmdOutputReadAll, ConvertsExactlyTheBytesOfEachRead) {
    FakeSingleByte latin;
    ScriptedPipe pipe;
    pipe.chunks = {std::string(1024, '\xE9'), "ab", "", "c\r\n"};
    const std::wstring text =
        sysaccess::ReadAllText(std::ref(pipe), latin, sysaccess::kPipeChunkSize);
    // The second read leaves 1022 stale bytes in the buffer; none may show.
    EXPECT_EQ(text, std::wstring(1024, static_cast<wchar_t>(0x1E9)) + L"abc\r\n");
    EXPECT_EQ(pipe.capacities, std::vector<std::size_t>(5, 1024));
}

TEST(CmdOutputReadAll, EmptyStreamGivesEmptyText) {
    FakeSingleByte latin;
    ScriptedPipe pipe;
    EXPECT_EQ(sysaccess::ReadAllText(std::ref(pipe), latin), L"");
    EXPECT_EQ(latin.calls, 0);
}

TEST(CmdOutputReadAll, DoubleByteCharactersAcrossFullSizeReads) {
    FakeDoubleByte dbcs;
    // 1023 ASCII bytes, then pairs: every 1024-byte read ends on a lead byte.
    std::string stream(1023, 'q');
    for (int i = 0; i < 1500; ++i) stream += "\x83\x41";
    ScriptedPipe pipe;
    for (std::size_t at = 0; at < stream.size(); at += 1024)
        pipe.chunks.push_back(stream.substr(at, 1024));
    const std::wstring text = sysaccess::ReadAllText(std::ref(pipe), dbcs);
    std::wstring expected(1023, L'q');
    expected.append(1500, static_cast<wchar_t>(0x8341 + 0x1000));
    EXPECT_EQ(text, expected);
}

}  // namespace
