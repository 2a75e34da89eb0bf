#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "network/mdlWMINetwork.h"

namespace {

using network::IsValidIPAddress;

std::wstring Printable(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c >= 0x20 && c < 0x7F)
            out += c;
        else
            out += L"\\x" + std::to_wstring(static_cast<unsigned>(c));
    }
    return out;
}

void ExpectAll(const std::vector<std::wstring>& texts, bool expected) {
    for (const auto& text : texts)
        EXPECT_EQ(IsValidIPAddress(text), expected) << "text: \"" << Printable(text) << "\"";
}

TEST(IsValidIPAddress, AcceptsDottedQuadsAndTheEmptyText) {
    ExpectAll({L"", L"10.0.0.1", L"255.255.255.255", L"0.0.0.0", L"192.168.1.254", L"1.2.3.4"},
              true);
}

TEST(IsValidIPAddress, ReadsGroupsAsDecimalWithLeadingZerosAndEmptyGroupsAsZero) {
    // 010 is ten, not octal eight; 0255 is still 255; 08 and 09 are no octal errors.
    ExpectAll({L"001.002.003.004", L"010.0.0.1", L"0255.1.1.1", L"08.09.1.1", L"1..2.3", L"1...2",
               L"000000000000000000000001.2.3.4"},
              true);
}

TEST(IsValidIPAddress, RejectsGroupsAbove255) {
    ExpectAll(
        {L"256.1.1.1", L"1.256.1.1", L"1.1.256.1", L"1.1.1.256", L"1.1.1.1000", L"0256.1.1.1"},
        false);
}

TEST(IsValidIPAddress, RejectsTheWrongNumberOfDots) {
    ExpectAll({L"1.2.3", L"1.2.3.4.5", L"1", L"1234", L"1.2", L"1.2.3..4", L"1....", L"..."},
              false);
}

TEST(IsValidIPAddress, RejectsLeadingOrTrailingDots) {
    ExpectAll({L".1.2.3", L"1.2.3.", L".1.2.3.4", L"1.2.3.4.", L".", L".."}, false);
}

TEST(IsValidIPAddress, RejectsLettersBlanksAndSigns) {
    ExpectAll({L"1.2.3.a", L"a.b.c.d", L" 1.2.3.4", L"1.2.3.4 ", L"1.2 .3.4", L"+1.2.3.4",
               L"-1.2.3.4", L"1.-2.3.4", L"1.2.3.+4", L"0x1.2.3.4", L"1.2.3.4\t", L"1,2,3,4",
               L"1.2.3.4/24", L"::1", L"fe80::1", L"1e2.1.1.1", L"1.2.3.4\r\n"},
              false);
}

TEST(IsValidIPAddress, RejectsValuesThatOverflowAnyInteger) {
    const std::wstring huge(5000, L'9');
    ExpectAll({L"4294967296.1.1.1", L"2147483648.0.0.0", L"1.1.1.99999999999999999999999",
               huge + L".1.1.1", L"1.1.1." + huge, huge},
              false);
}

TEST(IsValidIPAddress, RejectsDigitsOutsideAscii) {
    // Arabic-Indic, fullwidth and superscript digits, and a non-breaking space.
    ExpectAll(
        {L"\x0661.2.3.4", L"1.2.3.\xFF14", L"\xFF11\xFF10.0.0.1", L"1.2.\x00B2.4", L"1.2.3.4\x00A0",
         L"1\x3002"
         L"2.3.4",
         L"\x0967.2.3.4"},
        false);
}

TEST(IsValidIPAddress, RejectsEmbeddedNulCharacters) {
    auto nulAt = [](std::wstring text, std::size_t position) {
        text.insert(position, 1, L'\0');
        return text;
    };
    ExpectAll(
        {nulAt(L"1.2.3.4", 7), nulAt(L"1.2.3.4", 0), nulAt(L"1.2.3.4", 3), nulAt(L"1.2.3.4", 6),
         nulAt(L"1.2.3.", 6), std::wstring(3, L'\0'), std::wstring(1, L'\0')},
        false);
}

}  // namespace
