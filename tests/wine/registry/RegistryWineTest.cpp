// The registry class on the real registry: what each write stores, as the registry functions
// and reg.exe see it, what is read back, and what the registry does with keys and names.
#include <windows.h>
#include <gtest/gtest.h>

#include "sysaccess/cRegistry.h"
#include "win32/Win32CommandRunner.h"
#include "win32/Win32Registry.h"

namespace {

using sysaccess::Variant;
using Bytes = std::vector<std::uint8_t>;

Bytes Utf16(const std::wstring& text) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(text.c_str());
    return Bytes(p, p + (text.size() + 1) * sizeof(wchar_t));
}

// A scratch key below HKEY_CURRENT_USER, gone again after each test.
struct RealRegistry : ::testing::Test {
    const std::wstring root = L"Software\\QuillonWineTest";
    const std::wstring key = root + L"\\" + std::to_wstring(::GetCurrentProcessId());
    win32::Win32RegistryBackend backend;

    void SetUp() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, root.c_str()); }
    void TearDown() override { SetUp(), ::RegDeleteKeyW(HKEY_CURRENT_USER, root.c_str()); }
    sysaccess::cRegistry At(const std::wstring& below, const std::wstring& name = L"V") {
        sysaccess::cRegistry reg(backend);
        reg.SetClassKey(sysaccess::kHkeyCurrentUser);
        reg.SetSectionKey(key + below);
        reg.SetValueKey(name);
        return reg;
    }
    // The type and data of a value as the registry functions read them.
    std::pair<DWORD, Bytes> Raw(const std::wstring& name) {
        DWORD type = 0, size = 0;
        const DWORD flags = RRF_RT_ANY | RRF_NOEXPAND;
        ::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), flags, &type, nullptr, &size);
        Bytes data(size);
        ::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), flags, &type, data.data(),
                       &size);
        return {type, data};
    }
    // What "reg.exe query" prints about a value after its name: type and data.
    std::wstring RegExe(const std::wstring& name) {
        const std::wstring out = win32::Win32CommandRunner().RunAndCaptureOutput(
            L"reg.exe query \"HKCU\\" + key + L"\" " + (name.empty() ? L"/ve" : L"/v " + name),
            true, true, true);
        const std::wstring shown = L"    " + (name.empty() ? L"(Default)" : name) + L"    ";
        const std::size_t at = out.find(shown);
        if (at == std::wstring::npos) return L"not listed: " + out;
        return out.substr(at + shown.size(), out.find(L'\r', at) - at - shown.size());
    }
};

struct ValueRow {
    const wchar_t* name;
    std::int32_t asked;
    Variant write;  // empty: the data below is stored with the registry functions
    DWORD type;
    Bytes bytes;
    const wchar_t* regExe;  // nullptr: not asked
    Variant read;           // for REG_EXPAND_SZ, with the system root's folder in front
};

// Bytes written as a string literal, NULs included.
template <std::size_t N>
Bytes B(const char (&text)[N]) {
    return Bytes(text, text + N - 1);
}

const std::wstring kMegabyte(1 << 20, L'm');

const ValueRow kValues[] = {
    {L"V", 1, Variant(L"Server Core"), REG_SZ, Utf16(L"Server Core"), L"REG_SZ    Server Core",
     Variant(L"Server Core")},
    {L"", 1, Variant(L"unnamed"), REG_SZ, Utf16(L"unnamed"), L"REG_SZ    unnamed",
     Variant(L"unnamed")},
    {L"V", 1, Variant(L"%SystemRoot%\\x"), REG_EXPAND_SZ, Utf16(L"%SystemRoot%\\x"),
     L"REG_EXPAND_SZ    %SystemRoot%\\x", Variant(L"\\x")},
    {L"V", 2, Variant(L"50%"), REG_SZ, Utf16(L"50%"), L"REG_SZ    50%", Variant(L"50%")},
    {L"V", 4, Variant(std::int16_t{0}), REG_DWORD, B("\0\0\0\0"), L"REG_DWORD    0x0", Variant(0)},
    {L"V", 5, Variant(258), REG_DWORD, B("\2\1\0\0"), L"REG_DWORD    0x102", Variant(258)},
    {L"V", 3, Variant(B("\1\xAB\0\xFF")), REG_BINARY, B("\1\xAB\0\xFF"), L"REG_BINARY    01AB00FF",
     Variant(B("\1\xAB\0\xFF"))},
    {L"V", 1, Variant(L"Ж é 😀"), REG_SZ, Utf16(L"Ж é 😀"), nullptr, Variant(L"Ж é 😀")},
    {L"V", 1, Variant(kMegabyte), REG_SZ, Utf16(kMegabyte), nullptr, Variant(kMegabyte)},
    {L"V", 0, Variant(), REG_SZ, B("\0\0"), L"REG_SZ    ", Variant(L"")},
    {L"V", 0, Variant(), REG_DWORD_BIG_ENDIAN, B("\0\0\1\2"), nullptr, Variant(258)},
    {L"V", 0, Variant(), REG_MULTI_SZ, B("a\0\0\0b\0\0\0\0\0"), L"REG_MULTI_SZ    a\\0b",
     Variant(std::wstring(L"a\0b\0", 4))},
};

// What a member gives: its result, or the error it raised.
template <typename F>
std::wstring Outcome(F member) {
    try {
        return member();
    } catch (const sysaccess::VbError& e) {
        return std::to_wstring(e.Number()) + L" " + e.Description();
    }
}

TEST_F(RealRegistry, ValuesAsTheRegistryAndRegExeSeeThemKeysAndNames) {
    wchar_t systemRoot[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"SystemRoot", systemRoot, MAX_PATH);
    for (const ValueRow& row : kValues) {
        SCOPED_TRACE(testing::Message() << "row " << &row - kValues);
        auto reg = At(L"", row.name);
        reg.SetValueType(row.asked);
        if (!row.write.IsEmpty())
            reg.SetValue(row.write);
        else
            ::RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), row.name, row.type, row.bytes.data(),
                              static_cast<DWORD>(row.bytes.size()));
        EXPECT_EQ(Raw(row.name), std::make_pair(row.type, row.bytes));
        EXPECT_EQ(row.regExe ? RegExe(row.name) : L"-", row.regExe ? row.regExe : L"-");
        const Variant read = reg.Value();
        EXPECT_TRUE(row.type == REG_EXPAND_SZ ? read == Variant(systemRoot + row.read.Text())
                                              : read == row.read);
        EXPECT_EQ(reg.ValueType(), static_cast<std::int32_t>(row.type));
    }
    const std::wstring at = L"'-2147483647',Section: '" + key;
    auto listed = [this](const std::wstring& below, bool sections) {
        std::vector<std::wstring> names{L"stale"};
        int count = -1;
        auto reg = At(below);
        sections ? reg.EnumerateSections(names, count) : reg.EnumerateValues(names, count);
        std::wstring out = std::to_wstring(count) + L":";
        for (const auto& name : names) out += name + L"|";
        return out;
    };
    SetUp();                                    // the keys below start from nothing
    EXPECT_TRUE(At(L"\\A\\Deep").CreateKey());  // with its parents
    EXPECT_TRUE(At(L"\\a\\DEEP").KeyExists());  // whatever the letter case
    EXPECT_FALSE(At(L"\\Missing").KeyExists());
    EXPECT_EQ(Outcome([&] { return std::to_wstring(At(L"\\A").DeleteKey()); }),
              L"26001 Failed to delete registry Key: " + at + L"\\A");
    EXPECT_TRUE(At(L"\\A\\Deep").DeleteKey());
    for (const std::wstring name : {L"b", L"Ärger", L"C"}) At(L"\\" + name).CreateKey();
    At(L"\\" + std::wstring(255, L'n')).CreateKey();  // longer than a listing asks for
    // The registry lists its keys sorted without regard to case; the long name ends the list.
    EXPECT_EQ(listed(L"", true), L"3:A|b|C|");
    EXPECT_EQ(listed(L"\\b", true) + listed(L"\\Missing", true), L"0:0:");
    for (const std::wstring& value :
         {std::wstring(), std::wstring(L"One"), std::wstring(200, L'v')})
        ::RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), value.c_str(), REG_SZ, L"", 2);
    EXPECT_EQ(listed(L"", false), L"3:|One|" + std::wstring(200, L'v') + L"|");
    EXPECT_TRUE(At(L"", L"One").DeleteValue());
    EXPECT_EQ(Outcome([&] { return std::to_wstring(At(L"", L"One").DeleteValue()); }),
              L"26001 Failed to delete registry Key: " + at + L"',Key: 'One");
    EXPECT_EQ(Outcome([&] { return std::to_wstring(At(L"\\Missing").DeleteValue()); }),
              L"26001 Failed to open key " + at + L"\\Missing' for delete access");
}

}  // namespace
