// Wine's own reg.exe as an independent witness: what cRegistry writes must
// be what reg.exe reports, and what reg.exe writes must read back right.
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/wine/registry/WineRegistryFixture.h"

namespace wine_registry {
namespace {

using sysaccess::Variant;
using Bytes = std::vector<std::uint8_t>;

class RegExe : public WineRegistry {
  protected:
    // Type and data of a value as "reg.exe query" prints them.
    void Query(const std::wstring& name, std::wstring& type, std::wstring& data) {
        const std::wstring select = name.empty() ? L" /ve" : L" /v \"" + name + L"\"";
        CommandResult r = RunCommand(L"reg.exe query \"" + regExePath + L"\"" + select);
        ASSERT_TRUE(r.started) << "reg.exe did not start";
        ASSERT_TRUE(ParseRegQuery(r.output, name, type, data)) << "no line for " << name << " in:\n"
                                                               << r.output;
    }
    void Add(const std::wstring& arguments) {
        CommandResult r = RunCommand(L"reg.exe add \"" + regExePath + L"\" " + arguments + L" /f");
        ASSERT_TRUE(r.started);
        ASSERT_EQ(r.exitCode, 0u) << r.output;
    }
};

TEST_F(RegExe, ValuesWrittenByCRegistryAsReportedByRegExe) {
    At(L"Text", REG_SZ).SetValue(Variant(L"Server Core"));
    At(L"Expand", REG_SZ).SetValue(Variant(L"%SystemRoot%\\system32"));
    At(L"Fifty", REG_EXPAND_SZ).SetValue(Variant(L"50%"));
    At(L"Dword", REG_DWORD).SetValue(Variant(std::int32_t{258}));
    At(L"Minus", REG_DWORD_BIG_ENDIAN).SetValue(Variant(std::int16_t{-1}));
    At(L"Blob", REG_BINARY).SetValue(Variant(Bytes{0x01, 0xAB, 0x00, 0xFF}));
    At(L"", REG_SZ).SetValue(Variant(L"unnamed"));

    struct Expect {
        const wchar_t* name;
        const wchar_t* type;
        const wchar_t* data;
    } expected[] = {
        {L"Text", L"REG_SZ", L"Server Core"},
        {L"Expand", L"REG_EXPAND_SZ", L"%SystemRoot%\\system32"},
        {L"Fifty", L"REG_SZ", L"50%"},
        {L"Dword", L"REG_DWORD", L"0x102"},
        {L"Minus", L"REG_DWORD", L"0xffffffff"},
        {L"Blob", L"REG_BINARY", L"01AB00FF"},
        {L"", L"REG_SZ", L"unnamed"},
    };
    for (const auto& e : expected) {
        std::wstring type, data;
        Query(e.name, type, data);
        EXPECT_EQ(type, e.type) << e.name;
        EXPECT_EQ(data, e.data) << e.name;
    }
}

TEST_F(RegExe, ValuesWrittenByRegExeAsCRegistryReadsThem) {
    Add(L"/v Text /t REG_SZ /d \"Remote Desktop\"");
    Add(L"/v Empty /t REG_SZ /d \"\"");
    Add(L"/v Path /t REG_EXPAND_SZ /d \"%SystemRoot%\\win.ini\"");
    Add(L"/v Number /t REG_DWORD /d 1366");
    Add(L"/v Big /t REG_DWORD_BIG_ENDIAN /d 258");
    Add(L"/v Blob /t REG_BINARY /d 00FF10");
    Add(L"/v Multi /t REG_MULTI_SZ /d one\\0two");
    Add(L"/ve /d \"unnamed\"");

    auto text = At(L"Text", REG_DWORD);
    EXPECT_EQ(text.Value(), Variant(L"Remote Desktop"));
    EXPECT_EQ(text.ValueType(), REG_SZ);
    EXPECT_EQ(At(L"Empty").Value(), Variant(L""));

    std::wstring stored, type;
    Query(L"Path", type, stored);
    EXPECT_EQ(stored, L"%SystemRoot%\\win.ini");
    wchar_t root[MAX_PATH] = {};
    GetEnvironmentVariableW(L"SystemRoot", root, MAX_PATH);
    auto path = At(L"Path");
    EXPECT_EQ(path.Value(), Variant(std::wstring(root) + L"\\win.ini"));
    EXPECT_EQ(path.ValueType(), REG_EXPAND_SZ);
    auto number = At(L"Number");
    EXPECT_EQ(number.Value(), Variant(std::int32_t{1366}));
    EXPECT_EQ(number.ValueType(), REG_DWORD);
    // Which byte order reg.exe stores for this type differs between its
    // versions; whatever bytes it stored, cRegistry must read them with
    // byte 0 as the most significant one.
    std::wstring bigType, bigShown;
    Query(L"Big", bigType, bigShown);
    EXPECT_EQ(bigType, L"REG_DWORD_BIG_ENDIAN");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_QUERY_VALUE, &key), 0);
    BYTE raw[4] = {};
    DWORD size = sizeof(raw);
    EXPECT_EQ(RegQueryValueExW(key, L"Big", nullptr, nullptr, raw, &size), 0);
    RegCloseKey(key);
    ASSERT_EQ(size, 4u);
    auto big = At(L"Big");
    EXPECT_EQ(big.Value(),
              Variant(static_cast<std::int32_t>((DWORD{raw[0]} << 24) | (DWORD{raw[1]} << 16) |
                                                (DWORD{raw[2]} << 8) | DWORD{raw[3]})));
    EXPECT_EQ(big.ValueType(), REG_DWORD_BIG_ENDIAN);
    EXPECT_EQ(At(L"Blob").Value(), Variant(Bytes{0x00, 0xFF, 0x10}));
    EXPECT_EQ(At(L"Multi").Value(), Variant(std::wstring(L"one\0two\0", 8)));
    EXPECT_EQ(At(L"").Value(), Variant(L"unnamed"));
}

TEST_F(RegExe, KeysMadeByRegExeAreListedAndDeleted) {
    CommandResult r = RunCommand(L"reg.exe add \"" + regExePath + L"\\Video\\{1234}\\0000" +
                                 L"\\VolatileSettings\" /f");
    ASSERT_TRUE(r.started);
    ASSERT_EQ(r.exitCode, 0u) << r.output;
    std::vector<std::wstring> names;
    int count = 0;
    EXPECT_TRUE(At(L"", 0, L"Video").EnumerateSections(names, count));
    EXPECT_EQ(names, (std::vector<std::wstring>{L"{1234}"}));
    EXPECT_TRUE(At(L"", 0, L"Video\\{1234}\\0000\\VolatileSettings").KeyExists());
    EXPECT_TRUE(At(L"", 0, L"Video\\{1234}\\0000\\VolatileSettings").DeleteKey());
    r = RunCommand(L"reg.exe query \"" + regExePath + L"\\Video\\{1234}\\0000\\VolatileSettings\"");
    EXPECT_NE(r.exitCode, 0u) << "reg.exe no longer finds the deleted key";
}

}  // namespace
}  // namespace wine_registry
