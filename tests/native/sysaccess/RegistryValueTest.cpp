#include <gtest/gtest.h>

#include "sysaccess/cRegistry.h"
#include "tests/support/FakeRegistry.h"

namespace {

using sysaccess::cRegistry;
using sysaccess::kHkeyCurrentUser;
using sysaccess::kHkeyLocalMachine;
using sysaccess::Variant;
using sysaccess::VbError;
using Bytes = std::vector<std::uint8_t>;

const std::wstring kKey = L"Software\\QuillonTest";

struct RegistryValue : ::testing::Test {
    testing_support::FakeRegistry fake;

    cRegistry At(const std::wstring& name, std::int32_t type = 0) {
        cRegistry reg(fake);
        reg.SetClassKey(kHkeyLocalMachine);
        reg.SetSectionKey(kKey);
        reg.SetValueKey(name);
        reg.SetValueType(type);
        return reg;
    }

    void TearDown() override { EXPECT_EQ(fake.OpenHandles(), 0) << "a registry key was left open"; }
};

TEST_F(RegistryValue, StartsEmptyAndStoresItsProperties) {
    cRegistry reg(fake);
    EXPECT_EQ(reg.ClassKey(), 0);
    EXPECT_EQ(reg.SectionKey(), L"");
    EXPECT_EQ(reg.ValueKey(), L"");
    EXPECT_EQ(reg.ValueType(), 0);
    EXPECT_TRUE(reg.Default().IsEmpty());
    EXPECT_EQ(reg.Machine(), L"");
    reg.SetClassKey(kHkeyLocalMachine);
    EXPECT_EQ(reg.ClassKey(), -2147483646);
}

TEST_F(RegistryValue, MachineNameGetsTwoBackslashesUnlessTooShort) {
    cRegistry reg(fake);
    reg.SetMachine(L"ab");
    EXPECT_EQ(reg.Machine(), L"");
    reg.SetMachine(L"SRV");
    EXPECT_EQ(reg.Machine(), L"\\\\SRV");
    reg.SetMachine(L"\\\\HOST");
    EXPECT_EQ(reg.Machine(), L"\\\\HOST");
}

TEST_F(RegistryValue, StringsReadWithoutTheirNul) {
    fake.SetString(kHkeyLocalMachine, kKey, L"Empty", L"");
    fake.SetString(kHkeyLocalMachine, kKey, L"Name", L"Server Core");
    EXPECT_EQ(At(L"Empty").Value(), Variant(L""));
    EXPECT_EQ(At(L"Name").Value(), Variant(L"Server Core"));
    // A zero-length REG_SZ (no NUL at all) is the empty text too.
    fake.SetRaw(kHkeyLocalMachine, kKey, L"Bare", sysaccess::kRegSz, {});
    EXPECT_EQ(At(L"Bare").Value(), Variant(L""));
}

TEST_F(RegistryValue, MissingValueKeyOrDeniedKeyGivesDefault) {
    fake.SetString(kHkeyLocalMachine, kKey, L"Present", L"x");
    auto reg = At(L"Absent", sysaccess::kRegDword);
    EXPECT_TRUE(reg.Value().IsEmpty());
    EXPECT_EQ(reg.ValueType(), 4) << "a failed read keeps the caller's type";
    reg.SetDefault(Variant(std::int32_t{-7}));
    EXPECT_EQ(reg.Value(), Variant(std::int32_t{-7}));
    reg.SetSectionKey(L"Software\\Nowhere");
    reg.SetValueKey(L"Present");
    EXPECT_EQ(reg.Value(), Variant(std::int32_t{-7}));

    fake.DenyAccess(kHkeyLocalMachine, kKey);
    EXPECT_TRUE(At(L"Present").Value().IsEmpty());
}

TEST_F(RegistryValue, EveryReadOverwritesValueType) {
    fake.SetString(kHkeyLocalMachine, kKey, L"S", L"text");
    fake.SetDword(kHkeyLocalMachine, kKey, L"D", 1);
    auto reg = At(L"S", sysaccess::kRegDword);
    reg.Value();
    EXPECT_EQ(reg.ValueType(), 1);
    reg.SetValueKey(L"D");
    reg.SetValueType(sysaccess::kRegBinary);
    EXPECT_EQ(reg.Value(), Variant(std::int32_t{1}));
    EXPECT_EQ(reg.ValueType(), 4);
}

TEST_F(RegistryValue, DwordsAndBigEndianDwords) {
    fake.SetDword(kHkeyLocalMachine, kKey, L"Minus", 0xFFFFFFFEu);
    fake.SetRaw(kHkeyLocalMachine, kKey, L"Big", sysaccess::kRegDwordBigEndian, {0, 0, 1, 2});
    EXPECT_EQ(At(L"Minus").Value(), Variant(std::int32_t{-2}));
    auto big = At(L"Big");
    EXPECT_EQ(big.Value(), Variant(std::int32_t{258}));
    EXPECT_EQ(big.ValueType(), 5);
}

TEST_F(RegistryValue, MultiStringIsOneTextWithNuls) {
    const std::wstring stored(L"one\0two\0\0", 9);
    fake.SetRaw(kHkeyLocalMachine, kKey, L"Multi", sysaccess::kRegMultiSz,
                sysaccess::RegistryStringBytes(stored.substr(0, 8)));
    EXPECT_EQ(At(L"Multi").Value(), Variant(std::wstring(L"one\0two\0", 8)));
}

TEST_F(RegistryValue, ExpandableStringsAreExpanded) {
    fake.SetEnvironment(L"SystemRoot", L"C:\\Windows");
    fake.SetString(kHkeyLocalMachine, kKey, L"Path", L"%SystemRoot%\\notepad.exe",
                   sysaccess::kRegExpandSz);
    fake.SetString(kHkeyLocalMachine, kKey, L"Blank", L"", sysaccess::kRegExpandSz);
    EXPECT_EQ(At(L"Path").Value(), Variant(L"C:\\Windows\\notepad.exe"));
    EXPECT_EQ(At(L"Blank").Value(), Variant(L""));
}

TEST_F(RegistryValue, OtherTypesReadAsBytes) {
    fake.SetRaw(kHkeyLocalMachine, kKey, L"Bin", sysaccess::kRegBinary, {1, 2, 0, 255});
    fake.SetRaw(kHkeyLocalMachine, kKey, L"None", sysaccess::kRegNone, {});
    fake.SetRaw(kHkeyLocalMachine, kKey, L"Q", 11, {1, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(At(L"Bin").Value(), Variant(Bytes{1, 2, 0, 255}));
    EXPECT_EQ(At(L"None").Value(), Variant(Bytes{}));
    auto q = At(L"Q");
    EXPECT_EQ(q.Value(), Variant(Bytes{1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(q.ValueType(), 11);
}

TEST_F(RegistryValue, UnnamedDefaultValue) {
    fake.SetString(kHkeyLocalMachine, kKey, L"", L"default");
    EXPECT_EQ(At(L"").Value(), Variant(L"default"));
    At(L"", sysaccess::kRegSz).SetValue(Variant(L"changed"));
    EXPECT_EQ(fake.GetString(kHkeyLocalMachine, kKey, L""), L"changed");
}

TEST_F(RegistryValue, StringTypeChosenByPercentSigns) {
    struct Case {
        const wchar_t* text;
        std::int32_t asked;
        std::uint32_t stored;
    } cases[] = {
        {L"%SystemRoot%\\system32\\x.dll", 1, 2},
        {L"50%", 2, 1},
        {L"100%%", 1, 1},
        {L"%%", 2, 1},
        {L"a%b%", 1, 2},
        {L"plain", 2, 1},
        {L"%%x%", 1, 2},
    };
    for (const auto& c : cases) {
        At(L"S", c.asked).SetValue(Variant(c.text));
        auto raw = fake.GetRaw(kHkeyLocalMachine, kKey, L"S");
        ASSERT_TRUE(raw) << c.text;
        EXPECT_EQ(raw->type, c.stored) << c.text;
        EXPECT_EQ(raw->data, sysaccess::RegistryStringBytes(c.text)) << c.text;
    }
}

TEST_F(RegistryValue, StringDataIsUtf16WithOneNul) {
    At(L"S", sysaccess::kRegSz).SetValue(Variant(L"Ab"));
    EXPECT_EQ(fake.GetRaw(kHkeyLocalMachine, kKey, L"S")->data, (Bytes{'A', 0, 'b', 0, 0, 0}));
    // Numbers and Booleans are written as their text.
    At(L"N", sysaccess::kRegSz).SetValue(Variant(std::int32_t{42}));
    EXPECT_EQ(fake.GetString(kHkeyLocalMachine, kKey, L"N"), L"42");
}

TEST_F(RegistryValue, NonAsciiNamesPathsAndDataRoundTrip) {
    const std::wstring path = L"Software\\Qu\u00efllon\\\u041a\u043b\u044e\u0447";
    const std::wstring text = L"\u65e5\u672c\u8a9e \u00e9t\u00e9 \u20ac \U0001F600";
    cRegistry reg(fake);
    reg.SetClassKey(kHkeyCurrentUser);
    reg.SetSectionKey(path);
    reg.SetValueKey(L"N\u00e4me");
    reg.SetValueType(sysaccess::kRegSz);
    reg.SetValue(Variant(text));
    EXPECT_EQ(fake.GetString(kHkeyCurrentUser, path, L"N\u00e4me"), text);
    EXPECT_EQ(reg.Value(), Variant(text));
    // The registry ignores letter case in names, also beyond ASCII.
    reg.SetSectionKey(L"SOFTWARE\\QU\u00cfLLON\\\u041a\u041b\u042e\u0427");
    reg.SetValueKey(L"N\u00c4ME");
    EXPECT_EQ(reg.Value(), Variant(text));
}

TEST_F(RegistryValue, MegabyteValuesRoundTrip) {
    std::wstring big(1 << 20, L'x');
    big[12345] = L'\u00fc';
    At(L"BigText", sysaccess::kRegSz).SetValue(Variant(big));
    EXPECT_EQ(At(L"BigText").Value(), Variant(big));
    Bytes blob(1 << 20);
    for (std::size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<std::uint8_t>(i * 7);
    At(L"BigBlob", sysaccess::kRegBinary).SetValue(Variant(blob));
    EXPECT_EQ(At(L"BigBlob").Value(), Variant(blob));
}

TEST_F(RegistryValue, IntegersWrittenAsLittleEndianDword) {
    At(L"Zero", sysaccess::kRegDword).SetValue(Variant(std::int16_t{0}));
    auto zero = fake.GetRaw(kHkeyLocalMachine, kKey, L"Zero");
    ASSERT_TRUE(zero);
    EXPECT_EQ(zero->type, 4u);
    EXPECT_EQ(zero->data, (Bytes{0, 0, 0, 0}));

    At(L"Minus", sysaccess::kRegDword).SetValue(Variant(std::int16_t{-1}));
    EXPECT_EQ(fake.GetRaw(kHkeyLocalMachine, kKey, L"Minus")->data, (Bytes{255, 255, 255, 255}));

    // Asking for big-endian still stores a plain REG_DWORD in machine order.
    At(L"Big", sysaccess::kRegDwordBigEndian).SetValue(Variant(std::int32_t{258}));
    auto big = fake.GetRaw(kHkeyLocalMachine, kKey, L"Big");
    EXPECT_EQ(big->type, 4u);
    EXPECT_EQ(big->data, (Bytes{2, 1, 0, 0}));
}

TEST_F(RegistryValue, NonIntegersForDwordAreSilentlyNotWritten) {
    for (const Variant& v : {Variant(L"5"), Variant(true), Variant(), Variant(Bytes{1, 2, 3, 4})}) {
        EXPECT_NO_THROW(At(L"D", sysaccess::kRegDword).SetValue(v));
    }
    EXPECT_FALSE(fake.HasValue(kHkeyLocalMachine, kKey, L"D"));
    EXPECT_TRUE(fake.writes.empty());
}

TEST_F(RegistryValue, BinaryNeedsBytes) {
    At(L"B", sysaccess::kRegBinary).SetValue(Variant(Bytes{9, 8, 7}));
    EXPECT_EQ(fake.GetRaw(kHkeyLocalMachine, kKey, L"B")->data, (Bytes{9, 8, 7}));
    try {
        At(L"B2", sysaccess::kRegBinary).SetValue(Variant(L"not bytes"));
        FAIL() << "no error";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), 26001);
        EXPECT_EQ(e.Source(), L"quillon.cRegistry");
    }
    EXPECT_FALSE(fake.HasValue(kHkeyLocalMachine, kKey, L"B2"));
}

TEST_F(RegistryValue, UnsupportedTypesRaiseTheWriteError) {
    for (std::int32_t type : {0, 7, 11}) {
        try {
            At(L"X", type).SetValue(Variant(L"v"));
            FAIL() << "no error for type " << type;
        } catch (const VbError& e) {
            EXPECT_EQ(e.Number(), -2147194455);
            EXPECT_EQ(e.Source(), L"quillon.cRegistry");
            EXPECT_EQ(e.Description(),
                      L"Failed to set registry value Key: '-2147483646',Section: "
                      L"'Software\\QuillonTest',Key: 'X' to value: 'v'");
        }
    }
    EXPECT_FALSE(fake.HasValue(kHkeyLocalMachine, kKey, L"X"));
}

TEST_F(RegistryValue, WritingCreatesMissingKeys) {
    cRegistry reg(fake);
    reg.SetClassKey(kHkeyLocalMachine);
    reg.SetSectionKey(L"Software\\A\\B\\C");
    reg.SetValueKey(L"V");
    reg.SetValueType(sysaccess::kRegDword);
    reg.SetValue(Variant(std::int32_t{3}));
    EXPECT_EQ(fake.GetDword(kHkeyLocalMachine, L"Software\\A\\B\\C", L"V"), 3u);
}

TEST_F(RegistryValue, ReadOnlyKeyRaisesOpenFailureWithItsDescription) {
    fake.CreateKey(kHkeyLocalMachine, kKey);
    fake.MakeReadOnly(kHkeyLocalMachine, kKey);
    try {
        At(L"Width", sysaccess::kRegDword).SetValue(Variant(std::int32_t{1024}));
        FAIL() << "no error";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), 26001);
        EXPECT_EQ(e.Source(), L"quillon.cRegistry");
        EXPECT_EQ(e.Description(),
                  L"Failed to set registry value Key: '-2147483646',Section: "
                  L"'Software\\QuillonTest',Key: 'Width' to value: '1024'");
    }
    EXPECT_FALSE(fake.HasValue(kHkeyLocalMachine, kKey, L"Width"));
}

TEST_F(RegistryValue, RefusedStoreRaisesWriteError) {
    fake.FailValueWrites(1009);
    try {
        At(L"S", sysaccess::kRegSz).SetValue(Variant(L"x"));
        FAIL() << "no error";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), -2147194455);
        EXPECT_EQ(e.Description(),
                  L"Failed to set registry value Key: '-2147483646',Section: "
                  L"'Software\\QuillonTest',Key: 'S' to value: 'x'");
    }
    fake.FailEverything(1009);
    try {
        At(L"S", sysaccess::kRegSz).SetValue(Variant(L"x"));
        FAIL() << "no error";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), 26001) << "the key could not even be opened";
    }
    fake.FailEverything(0);
}

TEST_F(RegistryValue, ValueExSetsEverythingThenReadsOrWrites) {
    cRegistry reg(fake);
    reg.SetValueEx(kHkeyCurrentUser, L"Control Panel\\Desktop", L"DragFullWindows",
                   sysaccess::kRegSz, Variant(), Variant(L"1"));
    EXPECT_EQ(fake.GetString(kHkeyCurrentUser, L"Control Panel\\Desktop", L"DragFullWindows"),
              L"1");
    cRegistry other(fake);
    EXPECT_EQ(other.ValueEx(kHkeyCurrentUser, L"Control Panel\\Desktop", L"Missing",
                            sysaccess::kRegSz, Variant(L"fallback")),
              Variant(L"fallback"));
    EXPECT_EQ(other.SectionKey(), L"Control Panel\\Desktop");
    EXPECT_EQ(other.Default(), Variant(L"fallback"));
}

TEST_F(RegistryValue, EverythingFailingNeverThrowsOnRead) {
    fake.SetString(kHkeyLocalMachine, kKey, L"S", L"x");
    fake.FailEverything(5);
    auto reg = At(L"S", 3);
    EXPECT_TRUE(reg.Value().IsEmpty());
    EXPECT_EQ(reg.ValueType(), 3);
    EXPECT_FALSE(reg.KeyExists());
    std::vector<std::wstring> names{L"stale"};
    int count = 9;
    EXPECT_TRUE(reg.EnumerateSections(names, count));
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(names.empty());
}

}  // namespace
