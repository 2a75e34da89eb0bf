#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <sddl.h>

#include <algorithm>

#include "tests/wine/registry/WineRegistryFixture.h"

namespace wine_registry {
namespace {

using sysaccess::Variant;
using sysaccess::VbError;
using Bytes = std::vector<std::uint8_t>;

// Reads a value with the plain API: its type and data.
bool RawValue(const std::wstring& path, const std::wstring& name, DWORD& type, Bytes& data) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    LONG status = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        data.resize(size);
        status = RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size);
        data.resize(size);
    }
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

void SetRaw(const std::wstring& path, const std::wstring& name, DWORD type, const Bytes& data) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, name.c_str(), 0, type, data.empty() ? nullptr : data.data(),
                             static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

Bytes Utf16(const std::wstring& text) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(text.c_str());
    return Bytes(p, p + (text.size() + 1) * sizeof(wchar_t));
}

// The handle value that the next new handle gets. Handles are allocated at
// the lowest free slot of the process's table, so a leaked handle shows as a
// different value here. (Wine reports no process handle count.)
HANDLE NextHandleValue() {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    CloseHandle(event);
    return event;
}

template <typename F>
VbError Raised(F f) {
    try {
        f();
    } catch (const VbError& e) {
        return e;
    }
    ADD_FAILURE() << "no error raised";
    return VbError(0, L"", L"");
}

TEST_F(WineRegistry, EmptyStringAndMissingValue) {
    SetRaw(keyPath, L"Empty", REG_SZ, Utf16(L""));
    auto reg = At(L"Empty", REG_DWORD);
    EXPECT_EQ(reg.Value(), Variant(L""));
    EXPECT_EQ(reg.ValueType(), REG_SZ);
    auto missing = At(L"Missing", REG_BINARY);
    EXPECT_TRUE(missing.Value().IsEmpty());
    EXPECT_EQ(missing.ValueType(), REG_BINARY);
    missing.SetDefault(Variant(L"none"));
    EXPECT_EQ(missing.Value(), Variant(L"none"));
    auto missingKey = At(L"X", REG_SZ, L"No\\Such\\Key");
    EXPECT_TRUE(missingKey.Value().IsEmpty());
}

TEST_F(WineRegistry, PercentSignsChooseTheStoredStringType) {
    struct Case {
        const wchar_t* name;
        const wchar_t* text;
        std::int32_t asked;
        DWORD stored;
    } cases[] = {
        {L"Reference", L"%SystemRoot%\\notepad.exe", REG_SZ, REG_EXPAND_SZ},
        {L"Percent", L"50%", REG_EXPAND_SZ, REG_SZ},
        {L"SideBySide", L"100%%", REG_SZ, REG_SZ},
        {L"Plain", L"plain", REG_EXPAND_SZ, REG_SZ},
    };
    for (const auto& c : cases) {
        At(c.name, c.asked).SetValue(Variant(c.text));
        DWORD type = 0;
        Bytes data;
        ASSERT_TRUE(RawValue(keyPath, c.name, type, data)) << c.name;
        EXPECT_EQ(type, c.stored) << c.name;
        EXPECT_EQ(data, Utf16(c.text)) << c.name << ": UTF-16 text and one NUL";
    }
    wchar_t root[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableW(L"SystemRoot", root, MAX_PATH), 0u);
    auto reg = At(L"Reference");
    EXPECT_EQ(reg.Value(), Variant(std::wstring(root) + L"\\notepad.exe"));
    EXPECT_EQ(reg.ValueType(), REG_EXPAND_SZ);
    EXPECT_EQ(At(L"Percent").Value(), Variant(L"50%"));
}

TEST_F(WineRegistry, DwordConversions) {
    At(L"Zero", REG_DWORD).SetValue(Variant(std::int16_t{0}));
    DWORD type = 0;
    Bytes data;
    ASSERT_TRUE(RawValue(keyPath, L"Zero", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(data, (Bytes{0, 0, 0, 0}));

    At(L"Big", REG_DWORD_BIG_ENDIAN).SetValue(Variant(std::int32_t{-2}));
    ASSERT_TRUE(RawValue(keyPath, L"Big", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD)) << "stored as a plain DWORD";
    EXPECT_EQ(data, (Bytes{0xFE, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(At(L"Big").Value(), Variant(std::int32_t{-2}));

    EXPECT_NO_THROW(At(L"Text", REG_DWORD).SetValue(Variant(L"12")));
    EXPECT_FALSE(RawValue(keyPath, L"Text", type, data)) << "text for a DWORD writes nothing";

    SetRaw(keyPath, L"BigEndian", REG_DWORD_BIG_ENDIAN, {0, 0, 1, 2});
    auto reg = At(L"BigEndian", REG_SZ);
    EXPECT_EQ(reg.Value(), Variant(std::int32_t{258}));
    EXPECT_EQ(reg.ValueType(), REG_DWORD_BIG_ENDIAN);
}

TEST_F(WineRegistry, MultiStringsBinaryAndOtherTypes) {
    const std::wstring multi(L"first\0second\0\0", 14);
    const auto* p = reinterpret_cast<const std::uint8_t*>(multi.data());
    SetRaw(keyPath, L"Multi", REG_MULTI_SZ, Bytes(p, p + multi.size() * 2));
    auto reg = At(L"Multi");
    EXPECT_EQ(reg.Value(), Variant(std::wstring(L"first\0second\0", 13)));
    EXPECT_EQ(reg.ValueType(), REG_MULTI_SZ);

    At(L"Blob", REG_BINARY).SetValue(Variant(Bytes{0, 1, 254, 255}));
    DWORD type = 0;
    Bytes data;
    ASSERT_TRUE(RawValue(keyPath, L"Blob", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(At(L"Blob").Value(), Variant(Bytes{0, 1, 254, 255}));

    SetRaw(keyPath, L"Qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8});
    SetRaw(keyPath, L"None", REG_NONE, {});
    EXPECT_EQ(At(L"Qword").Value(), Variant(Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(At(L"None").Value(), Variant(Bytes{}));
}

TEST_F(WineRegistry, ErrorNumbersAndDescriptions) {
    auto binary = Raised([&] { At(L"B", REG_BINARY).SetValue(Variant(L"text")); });
    EXPECT_EQ(binary.Number(), 26001);
    EXPECT_EQ(binary.Source(), L"quillon.cRegistry");

    auto multi = Raised([&] { At(L"M", REG_MULTI_SZ).SetValue(Variant(L"a")); });
    EXPECT_EQ(multi.Number(), -2147194455);
    EXPECT_EQ(multi.Description(), L"Failed to set registry value Key: '-2147483647',Section: '" +
                                       keyPath + L"',Key: 'M' to value: 'a'");

    auto withChild = At(L"", 0, L"Parent\\Child");
    EXPECT_TRUE(withChild.CreateKey());
    auto parent = At(L"", 0, L"Parent");
    auto del = Raised([&] { parent.DeleteKey(); });
    EXPECT_EQ(del.Number(), 26001);
    EXPECT_EQ(del.Description(),
              L"Failed to delete registry Key: '-2147483647',Section: '" + keyPath + L"\\Parent");
    EXPECT_TRUE(withChild.DeleteKey());
    EXPECT_TRUE(parent.DeleteKey());
    EXPECT_FALSE(parent.KeyExists());

    auto value = At(L"Gone");
    auto delValue = Raised([&] { value.DeleteValue(); });
    EXPECT_EQ(delValue.Number(), 26001);
    EXPECT_EQ(delValue.Description(), L"Failed to delete registry Key: '-2147483647',Section: '" +
                                          keyPath + L"',Key: 'Gone");
    auto noKey = At(L"Gone", 0, L"Absent");
    EXPECT_EQ(
        Raised([&] { noKey.DeleteValue(); }).Description(),
        L"Failed to open key '-2147483647',Section: '" + keyPath + L"\\Absent' for delete access");

    sysaccess::cRegistry noRoot(backend);
    noRoot.SetSectionKey(L"Software\\X");
    auto create = Raised([&] { noRoot.CreateKey(); });
    EXPECT_EQ(create.Number(), 26001);
    EXPECT_EQ(create.Description(), L"Failed to create registry Key: 'Software\\X");
}

TEST_F(WineRegistry, DeleteValueRemovesIt) {
    At(L"V", REG_SZ).SetValue(Variant(L"x"));
    auto reg = At(L"V");
    EXPECT_TRUE(reg.DeleteValue());
    EXPECT_TRUE(reg.Value().IsEmpty());
}

TEST_F(WineRegistry, EnumerateSectionsOrderAndEmptyCase) {
    std::vector<std::wstring> names{L"stale"};
    int count = 7;
    EXPECT_TRUE(At(L"").EnumerateSections(names, count));
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(names.empty());

    for (const wchar_t* name : {L"b", L"C", L"a", L"\u00c4rger"}) At(L"", 0, name).CreateKey();
    EXPECT_TRUE(At(L"").EnumerateSections(names, count));
    ASSERT_EQ(count, 4);
    // The registry's own order, whatever it is: the same as RegEnumKeyExW's.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key), 0);
    for (DWORD i = 0; i < 4; ++i) {
        wchar_t buffer[256];
        DWORD chars = 256;
        ASSERT_EQ(RegEnumKeyExW(key, i, buffer, &chars, nullptr, nullptr, nullptr, nullptr), 0);
        EXPECT_EQ(names[i], std::wstring(buffer, chars));
    }
    RegCloseKey(key);
    EXPECT_EQ(std::count(names.begin(), names.end(), L"\u00c4rger"), 1);

    EXPECT_TRUE(At(L"", 0, L"Nowhere").EnumerateSections(names, count));
    EXPECT_EQ(count, 0);
}

TEST_F(WineRegistry, EnumerateValuesListsEveryName) {
    At(L"", REG_SZ).SetValue(Variant(L"default"));
    At(L"One", REG_DWORD).SetValue(Variant(std::int32_t{1}));
    At(std::wstring(200, L'v'), REG_SZ).SetValue(Variant(L"long name"));
    std::vector<std::wstring> names;
    int count = 0;
    EXPECT_TRUE(At(L"").EnumerateValues(names, count));
    EXPECT_EQ(count, 3);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"", L"One", std::wstring(200, L'v')}));
}

TEST_F(WineRegistry, KeyExists) {
    EXPECT_TRUE(At(L"").KeyExists());
    EXPECT_FALSE(At(L"", 0, L"Missing").KeyExists());
    At(L"", 0, L"Made").CreateKey();
    EXPECT_TRUE(At(L"", 0, L"made").KeyExists()) << "names ignore letter case";
    sysaccess::cRegistry machine(backend);
    machine.SetClassKey(sysaccess::kHkeyLocalMachine);
    machine.SetSectionKey(L"Software\\Microsoft");
    EXPECT_TRUE(machine.KeyExists());
}

TEST_F(WineRegistry, NonAsciiPathsNamesAndDataUnnamedValueAndMegabyteValues) {
    const std::wstring sub = L"Qu\u00efllon\\\u041a\u043b\u044e\u0447 \u65e5\u672c";
    const std::wstring text = L"\u00e9t\u00e9 \u20ac \u65e5\u672c\u8a9e \U0001F600";
    At(L"N\u00e4me", REG_SZ, sub).SetValue(Variant(text));
    DWORD type = 0;
    Bytes data;
    ASSERT_TRUE(RawValue(keyPath + L"\\" + sub, L"N\u00e4me", type, data));
    EXPECT_EQ(data, Utf16(text)) << "nothing went through a code page";
    EXPECT_EQ(At(L"N\u00e4me", 0, sub).Value(), Variant(text));

    At(L"", REG_SZ).SetValue(Variant(L"unnamed"));
    wchar_t buffer[32] = {};
    LONG size = sizeof(buffer);
    ASSERT_EQ(RegQueryValueW(HKEY_CURRENT_USER, keyPath.c_str(), buffer, &size), 0);
    EXPECT_STREQ(buffer, L"unnamed");
    EXPECT_EQ(At(L"").Value(), Variant(L"unnamed"));

    std::wstring big(1 << 20, L'm');
    big[777] = L'\u0416';
    At(L"Big", REG_SZ).SetValue(Variant(big));
    EXPECT_EQ(At(L"Big").Value(), Variant(big));
    Bytes blob(1 << 20);
    for (std::size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<std::uint8_t>(i % 251);
    At(L"Blob", REG_BINARY).SetValue(Variant(blob));
    EXPECT_EQ(At(L"Blob").Value(), Variant(blob));
}

// Gives a key a DACL for as long as it lives, then grants everyone full
// access again so that the scratch key can be removed.
class KeyPermissions {
  public:
    KeyPermissions(const std::wstring& path, const wchar_t* sddl) : path_(path) { Apply(sddl); }
    ~KeyPermissions() { Apply(L"D:P(A;;KA;;;WD)"); }
    KeyPermissions(const KeyPermissions&) = delete;
    KeyPermissions& operator=(const KeyPermissions&) = delete;
    bool applied = false;

  private:
    void Apply(const wchar_t* sddl) {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                                  &descriptor, nullptr))
            return;
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, WRITE_DAC, &key) == 0) {
            applied = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor) == 0;
            RegCloseKey(key);
        }
        LocalFree(descriptor);
    }
    std::wstring path_;
};

TEST_F(WineRegistry, ReadOnlyKeyRefusesWritesButStillReads) {
    At(L"Kept", REG_SZ, L"Locked").SetValue(Variant(L"old"));
    const std::wstring locked = keyPath + L"\\Locked";
    KeyPermissions readOnly(locked, L"D:P(A;;KR;;;WD)");
    ASSERT_TRUE(readOnly.applied);
    HKEY probe = nullptr;
    const LONG writable =
        RegOpenKeyExW(HKEY_CURRENT_USER, locked.c_str(), 0, KEY_SET_VALUE, &probe);
    if (probe) RegCloseKey(probe);
    ASSERT_EQ(writable, ERROR_ACCESS_DENIED) << "the key's permissions allow writing after all";

    auto e = Raised([&] { At(L"New", REG_DWORD, L"Locked").SetValue(Variant(std::int32_t{5})); });
    EXPECT_EQ(e.Number(), 26001);
    EXPECT_EQ(e.Description(), L"Failed to set registry value Key: '-2147483647',Section: '" +
                                   locked + L"',Key: 'New' to value: '5'");
    EXPECT_EQ(At(L"Kept", 0, L"Locked").Value(), Variant(L"old"));
    EXPECT_TRUE(At(L"", 0, L"Locked").KeyExists());
    auto deleteValue = At(L"Kept", 0, L"Locked");
    EXPECT_EQ(Raised([&] { deleteValue.DeleteValue(); }).Number(), 26001);
}

TEST_F(WineRegistry, InaccessibleKeyReadsAsDefault) {
    At(L"Hidden", REG_SZ, L"Closed").SetValue(Variant(L"secret"));
    KeyPermissions none(keyPath + L"\\Closed", L"D:P");
    ASSERT_TRUE(none.applied);
    auto reg = At(L"Hidden", REG_BINARY, L"Closed");
    reg.SetDefault(Variant(L"fallback"));
    EXPECT_EQ(reg.Value(), Variant(L"fallback"));
    EXPECT_EQ(reg.ValueType(), REG_BINARY);
    EXPECT_FALSE(reg.KeyExists());
    std::vector<std::wstring> names{L"x"};
    int count = 3;
    EXPECT_TRUE(reg.EnumerateSections(names, count));
    EXPECT_EQ(count, 0);
}

TEST_F(WineRegistry, NoHandleStaysOpen) {
    // Warm up whatever the registry caches on first use.
    At(L"W", REG_SZ).SetValue(Variant(L"w"));
    At(L"W").Value();
    const HANDLE before = NextHandleValue();
    // The probe does see a key left open.
    HKEY open = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &open), 0);
    EXPECT_NE(NextHandleValue(), before);
    RegCloseKey(open);
    ASSERT_EQ(NextHandleValue(), before);
    for (int round = 0; round < 20; ++round) {
        At(L"S", REG_SZ).SetValue(Variant(L"text"));
        At(L"S").Value();
        At(L"Missing").Value();
        At(L"", 0, L"Nowhere").Value();
        At(L"").KeyExists();
        std::vector<std::wstring> names;
        int count = 0;
        At(L"").EnumerateSections(names, count);
        At(L"").EnumerateValues(names, count);
        try {
            At(L"M", REG_MULTI_SZ).SetValue(Variant(L"x"));
        } catch (const VbError&) {
        }
        try {
            At(L"Gone", 0, L"Absent").DeleteValue();
        } catch (const VbError&) {
        }
    }
    EXPECT_EQ(NextHandleValue(), before);
}

}  // namespace
}  // namespace wine_registry
