// The registry class on the real registry: what each write stores, as the registry functions
// and reg.exe see it, and what is read back. (Finding and listing keys, as the Display and
// Network windows do, is the real program's, end to end.)
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

// Bytes written as a string literal, NULs included.
template <std::size_t N>
Bytes B(const char (&text)[N]) {
    return Bytes(text, text + N - 1);
}

// A scratch key below HKEY_CURRENT_USER, gone again after the test.
struct RealRegistry : ::testing::Test {
    const std::wstring root = L"Software\\QuillonWineTest", key = root + L"\\Values";
    win32::Win32RegistryBackend backend;

    void SetUp() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, root.c_str()); }
    void TearDown() override { SetUp(), ::RegDeleteKeyW(HKEY_CURRENT_USER, root.c_str()); }
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
};

const std::wstring kMegabyte(1 << 20, L'm');

const struct {
    const wchar_t* name;
    std::int32_t asked;
    Variant write;  // empty: the data below is stored with the registry functions
    DWORD type;
    Bytes bytes;
    const wchar_t* regExe;  // what "reg.exe query" shows after the name; nullptr: not asked
    Variant read;           // for REG_EXPAND_SZ, with the system root's folder in front
} kValues[] = {
    {L"sz", 1, Variant(L"Server Core"), REG_SZ, Utf16(L"Server Core"), L"REG_SZ    Server Core",
     Variant(L"Server Core")},
    {L"", 1, Variant(L"unnamed"), REG_SZ, Utf16(L"unnamed"), L"REG_SZ    unnamed",
     Variant(L"unnamed")},
    {L"expand", 1, Variant(L"%SystemRoot%\\x"), REG_EXPAND_SZ, Utf16(L"%SystemRoot%\\x"),
     L"REG_EXPAND_SZ    %SystemRoot%\\x", Variant(L"\\x")},
    {L"dword", 5, Variant(258), REG_DWORD, B("\2\1\0\0"), L"REG_DWORD    0x102", Variant(258)},
    {L"binary", 3, Variant(B("\1\xAB\0\xFF")), REG_BINARY, B("\1\xAB\0\xFF"),
     L"REG_BINARY    01AB00FF", Variant(B("\1\xAB\0\xFF"))},
    {L"wide", 1, Variant(L"Ж é 😀"), REG_SZ, Utf16(L"Ж é 😀"), nullptr, Variant(L"Ж é 😀")},
    {L"mega", 1, Variant(kMegabyte), REG_SZ, Utf16(kMegabyte), nullptr, Variant(kMegabyte)},
    {L"empty", 0, Variant(), REG_SZ, B("\0\0"), L"REG_SZ    ", Variant(L"")},
    {L"big", 0, Variant(), REG_DWORD_BIG_ENDIAN, B("\0\0\1\2"), nullptr, Variant(258)},
    {L"multi", 0, Variant(), REG_MULTI_SZ, B("a\0\0\0b\0\0\0\0\0"), L"REG_MULTI_SZ    a\\0b",
     Variant(std::wstring(L"a\0b\0", 4))},
};

TEST_F(RealRegistry, ValuesAsTheRegistryAndRegExeSeeThem) {
    wchar_t systemRoot[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"SystemRoot", systemRoot, MAX_PATH);
    for (const auto& row : kValues) {
        SCOPED_TRACE(testing::Message() << "row " << &row - kValues);
        sysaccess::cRegistry reg(backend);
        reg.SetClassKey(sysaccess::kHkeyCurrentUser);
        reg.SetSectionKey(key);
        reg.SetValueKey(row.name);
        reg.SetValueType(row.asked);
        if (!row.write.IsEmpty())
            reg.SetValue(row.write);
        else
            ::RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), row.name, row.type, row.bytes.data(),
                              static_cast<DWORD>(row.bytes.size()));
        EXPECT_EQ(Raw(row.name), std::make_pair(row.type, row.bytes));
        const Variant read = reg.Value();
        EXPECT_TRUE(row.type == REG_EXPAND_SZ ? read == Variant(systemRoot + row.read.Text())
                                              : read == row.read);
        EXPECT_EQ(reg.ValueType(), static_cast<std::int32_t>(row.type));
    }
    const std::wstring listing = win32::Win32CommandRunner().RunAndCaptureOutput(
        L"reg.exe query \"HKCU\\" + key + L"\"", true, true, true);
    for (const auto& row : kValues)
        if (row.regExe)
            EXPECT_NE(listing.find(L"    " + std::wstring(*row.name ? row.name : L"(Default)") +
                                   L"    " + row.regExe + L"\r\n"),
                      std::wstring::npos)
                << "row " << &row - kValues;
}

}  // namespace
