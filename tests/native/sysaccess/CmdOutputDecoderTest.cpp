// However a child's output is cut into reads, its text is that of the whole, also
// where a multibyte character straddles a seam, is broken, or is cut off at the end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "sysaccess/CmdOutput.h"
#include "tests/fuzz/StandInCodePages.h"

namespace {

const standin::DoubleByte kDoubleByte;
const standin::Utf8 kUtf8;
const standin::Gb18030 kGb18030;

struct Row {
    const sysaccess::ICodePage& page;
    std::string bytes;
    std::size_t broken;  // characters of the whole output that are broken
};

const Row kRows[] = {
    {kUtf8, "", 0},
    // the first and last lead byte of each length
    {kUtf8, "a\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF\r\n", 0},
    {kUtf8, "x\xE2\x82yz", 2},
    {kUtf8, "a\x80\xC3", 2},
    {kUtf8, "x\xF0\x9F\x98z", 3},  // more than one byte held back is broken
    {kDoubleByte,
     "a\x82\xA0\x81\x81\x81\x40"
     "b",
     0},  // trail bytes that look like lead bytes
    {kDoubleByte, "ok\x82", 1},
    {kGb18030, "x\xB0\xA1\x81\x39\x81\x39\x81\x30\x81\x30\x95\x32\x82\x36\x81\x81", 0},
    {kGb18030, "\x81\x30\x81", 1},
    {kDoubleByte, std::string(1023, 'q') + std::string(1200, '\x83'), 0},  // reads end on leads
};

TEST(CmdOutputDecoder, TextIsTheSameAtEverySeam) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(testing::Message() << "row " << &row - kRows);
        std::wstring whole;
        row.page.AppendDecoded(row.bytes.data(), row.bytes.size(), whole);
        EXPECT_EQ(std::count(whole.begin(), whole.end(), standin::kReplacement), row.broken);
        for (std::size_t cut = 0; cut <= row.bytes.size(); ++cut) {
            sysaccess::ChunkedTextDecoder decoder(row.page);
            std::wstring text;
            decoder.Append(row.bytes.data(), cut, text);
            const std::string rest = row.bytes.substr(cut);  // nothing of the first chunk before it
            decoder.Append(rest.data(), rest.size(), text);
            decoder.Finish(text);
            ASSERT_EQ(text, whole) << "cut at " << cut;
            ASSERT_EQ(decoder.PendingBytes(), 0u);
        }
        for (std::size_t piece : {1, 2, 3, 5, 1024}) {  // into a buffer that is never cleared
            std::size_t at = 0;
            auto read = [&](char* buffer, std::size_t capacity, std::size_t& got) {
                got = std::min({piece, capacity, row.bytes.size() - at});
                std::memcpy(buffer, row.bytes.data() + at, got);
                return (at += got, got > 0);
            };
            ASSERT_EQ(sysaccess::ReadAllText(read, row.page), whole) << piece << "-byte reads";
        }
    }
}

}  // namespace
