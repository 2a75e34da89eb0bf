// Variants converted as late-bound code converts them, and letter case as the
// system maps it (the native stand-in for it).
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "sysaccess/StringFromPointer.h"
#include "sysaccess/TextCase.h"
#include "sysaccess/Variant.h"
#include "sysaccess/VbError.h"

namespace {

using sysaccess::Variant;

// The result, or "#" and the number of the error raised.
std::wstring Converted(const std::function<std::wstring()>& convert) {
    try {
        return convert();
    } catch (const sysaccess::VbError& e) {
        return L"#" + std::to_wstring(e.Number());
    }
}

struct VariantRow {
    Variant value;
    const wchar_t *text, *number, *boolean;
};

const VariantRow kVariants[] = {
    {Variant(), L"", L"0", L"0"},
    {Variant::Null(), L"", L"#94", L"0"},
    {Variant(std::int16_t{-5}), L"-5", L"-5", L"1"},
    {Variant(true), L"True", L"-1", L"1"},
    {Variant(L" +42 "), L" +42 ", L"42", L"1"},
    {Variant(L"2.5"), L"2.5", L"2", L"1"},
    {Variant(L"3.5"), L"3.5", L"4", L"1"},
    {Variant(L"2.51"), L"2.51", L"3", L"1"},
    {Variant(L"-0.5"), L"-0.5", L"0", L"0"},
    {Variant(L"-3.5"), L"-3.5", L"-4", L"1"},
    {Variant(L"2147483648"), L"2147483648", L"#13", L"#13"},  // one past the largest
    {Variant(L"1e3"), L"1e3", L"#13", L"#13"},
    {Variant(L""), L"", L"#13", L"#13"},
    {Variant(L"TRUE"), L"TRUE", L"#13", L"1"},
    {Variant(Variant::Bytes{65, 66}), L"AB", L"#13", L"#13"},
    {Variant(Variant::Array{Variant(1)}), L"#13", L"#13", L"#13"},
};

TEST(Conversions, VariantToTextNumberAndBoolean) {
    for (const VariantRow& row : kVariants) {
        SCOPED_TRACE(testing::Message() << "row " << &row - kVariants);
        EXPECT_EQ(Converted([&] { return row.value.ToText(); }), row.text);
        EXPECT_EQ(Converted([&] { return std::to_wstring(row.value.ToInt32()); }), row.number);
        EXPECT_EQ(Converted([&] { return std::to_wstring(row.value.ToBool()); }), row.boolean);
    }
}

// Each text in lower case and in upper case.
const std::pair<const wchar_t*, const wchar_t*> kCases[] = {
    {L"server-01", L"SERVER-01"},   {L"éþÿ", L"ÉÞŸ"},     {L"āĺłőž", L"ĀĹŁŐŽ"},
    {L"αάέήίόύώϊσ", L"ΑΆΈΉΊΌΎΏΪΣ"}, {L"ажёѐџ", L"АЖЁЀЏ"}, {L"×÷ß #漢", L"×÷ß #漢"}};

TEST(Conversions, LetterCaseOfLatinGreekAndCyrillic) {
    for (const auto& [lower, upper] : kCases) {
        SCOPED_TRACE(testing::PrintToString(lower));
        EXPECT_EQ(sysaccess::ToUpper(lower), upper);
        EXPECT_EQ(sysaccess::ToLower(upper), lower);
        EXPECT_TRUE(sysaccess::EqualsIgnoreCase(lower, upper));
    }
    EXPECT_EQ(sysaccess::ToUpper(L"ςıſ"), L"ςıſ");  // their capitals lower to other letters
    EXPECT_FALSE(sysaccess::EqualsIgnoreCase(L"E", L"É"));
}

// A name that a network-management call left at an address, also at an odd one.
TEST(Conversions, TextAtAnAddress) {
    const unsigned char units[] = {0, 'A', 0, 0x16, 0x04, 0, 0, 'z', 0};
    EXPECT_EQ(sysaccess::StringFromPointer(units + 1), L"A\x416");
    EXPECT_EQ(sysaccess::StringFromPointer(units + 5), L"");
    EXPECT_EQ(sysaccess::StringFromPointer(nullptr), L"");
}

}  // namespace
