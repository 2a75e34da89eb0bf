// The registry class: variants written with each type as the bytes stored and read back, stored
// data read back, refused writes. What the real registry does with keys is checked under Wine.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "sysaccess/cRegistry.h"
#include "tests/fakes/FakeAutomation.h"
#include "tests/fakes/FakeRegistry.h"

namespace {

using sysaccess::cRegistry;
using sysaccess::Variant;
using Bytes = std::vector<std::uint8_t>;
constexpr std::uint32_t kHklm = sysaccess::kHkeyLocalMachine;
const std::wstring kKey = L"Software\\Q";
const Variant kDefault(L"default");
const std::wstring kWriteFailure =
    L"Failed to set registry value Key: '-2147483646',Section: 'Software\\Q',Key: 'V' to value: '";
const std::wstring kNotWritten = L"-2147194455 " + kWriteFailure;
// Raised when a binary value is given anything but bytes.
const std::wstring kNotBytes = L"Application-defined or object-defined error";

// UTF-16LE with a terminating NUL, for texts of the Basic Multilingual Plane.
Bytes Sz(const std::wstring& text) {
    Bytes b;
    for (wchar_t c : text + L'\0') b.insert(b.end(), {std::uint8_t(c), std::uint8_t(c >> 8)});
    return b;
}

struct Row {
    const wchar_t* registry;  // "" as it comes, "key": kKey alone, "!": kKey denied, "~": V refused
    std::int32_t asked;
    std::optional<Variant> write;       // none: the stored data is there before
    std::optional<std::uint32_t> type;  // stored, none when nothing is
    Bytes bytes;
    Variant read;
    std::wstring error = L"";  // "<number> <description>" raised by the write
};

const Row kRows[] = {
    {L"", 1, Variant(L"Server Core"), 1, Sz(L"Server Core"), Variant(L"Server Core")},
    {L"", 2, Variant(L""), 1, {0, 0}, Variant(L"")},
    {L"", 1, Variant(L"%SystemRoot%\\x"), 2, Sz(L"%SystemRoot%\\x"), Variant(L"C:\\Windows\\x")},
    {L"", 2, Variant(L"50%"), 1, Sz(L"50%"), Variant(L"50%")},
    {L"", 1, Variant(L"100%%"), 1, Sz(L"100%%"), Variant(L"100%%")},
    {L"", 1, Variant(L"a%b%"), 2, Sz(L"a%b%"), Variant(L"a%b%")},
    {L"", 1, Variant(42), 1, Sz(L"42"), Variant(L"42")},
    {L"", 1, Variant(L"Ж😀"), 1, {0x16, 4, 0x3D, 0xD8, 0, 0xDE, 0, 0}, Variant(L"Ж😀")},
    {L"", 4, Variant(std::int16_t{0}), 4, {0, 0, 0, 0}, Variant(0)},
    {L"", 4, Variant(std::int16_t{-1}), 4, {255, 255, 255, 255}, Variant(-1)},
    {L"", 5, Variant(258), 4, {2, 1, 0, 0}, Variant(258)},
    {L"", 4, Variant(L"5"), std::nullopt, {}, kDefault},
    {L"", 3, Variant(Bytes{9, 0, 255}), 3, {9, 0, 255}, Variant(Bytes{9, 0, 255})},
    {L"", 0, std::nullopt, 4, {0xFE, 0xFF, 0xFF, 0xFF}, Variant(-2)},
    {L"", 0, std::nullopt, 5, {0, 0, 1, 2}, Variant(258)},
    {L"", 0, std::nullopt, 4, {1, 0, 0, 0, 8}, Variant(1)},  // only the first four bytes count
    {L"", 0, std::nullopt, 7, Sz(std::wstring(L"a\0b\0", 4)), Variant(std::wstring(L"a\0b\0", 4))},
    {L"", 0, std::nullopt, 1, {'a', 0, 'b', 0}, Variant(L"ab")},
    {L"", 0, std::nullopt, 1, {}, Variant(L"")},
    {L"", 0, std::nullopt, 2, {0, 0}, Variant(L"")},
    {L"", 0, std::nullopt, 11, {1, 2}, Variant(Bytes{1, 2})},
    {L"", 0, std::nullopt, std::nullopt, {}, kDefault},
    {L"key", 0, std::nullopt, std::nullopt, {}, kDefault},
    {L"!", 0, std::nullopt, 4, {1, 0, 0, 0}, kDefault},
    {L"!", 4, Variant(1024), std::nullopt, {}, kDefault, L"26001 " + kWriteFailure + L"1024'"},
    {L"~", 1, Variant(L"x"), std::nullopt, {}, kDefault, kNotWritten + L"x'"},
    {L"", 7, Variant(L"a"), std::nullopt, {}, kDefault, kNotWritten + L"a'"},
    {L"", 0, Variant(Variant::Array{}), std::nullopt, {}, kDefault, kNotWritten + L"'"},
    {L"", 3, Variant(L"x"), std::nullopt, {}, kDefault, L"26001 " + kNotBytes},
};

TEST(Registry, ValuesWrittenStoredAndReadBack) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(testing::Message() << "row " << &row - kRows);
        fakes::FakeRegistry fake;
        fake.environment[L"SystemRoot"] = L"C:\\Windows";
        if (!row.write && row.type) fake.SetRaw(kHklm, kKey, L"V", *row.type, row.bytes);
        const std::wstring registry = row.registry;
        if (registry == L"key") fake.MakeKey(kHklm, kKey);
        if (registry == L"!") fake.Deny(kHklm, kKey);
        if (registry == L"~") fake.Refuse(kHklm, kKey, L"V");
        cRegistry reg(fake);
        std::wstring error;
        Variant read;
        if (row.write) {  // the address, type and default in one call, then a plain read
            try {
                reg.SetValueEx(kHklm, kKey, L"V", row.asked, kDefault, *row.write);
            } catch (const sysaccess::VbError& e) {
                EXPECT_EQ(e.Source(), L"quillon.cRegistry");
                error = std::to_wstring(e.Number()) + L" " + e.Description();
            }
            reg.SetValueType(99);
            read = reg.Value();
        } else {
            read = reg.ValueEx(kHklm, kKey, L"V", 99, kDefault);
        }
        EXPECT_EQ(error, row.error);
        const auto stored = fake.Get(kHklm, kKey, L"V");
        if (row.write) {
            EXPECT_EQ(stored ? std::optional(stored->type) : std::nullopt, row.type);
            EXPECT_EQ(stored ? stored->data : Bytes{}, row.bytes);
        }
        EXPECT_TRUE(read == row.read) << fakes::Describe(read);
        // A read that finds the value takes its type; one that does not leaves it.
        EXPECT_EQ(reg.ValueType(), read == kDefault ? 99 : std::int32_t(*row.type));
        EXPECT_EQ(fake.OpenKeys(), 0);
    }
}

// A registry whose calls fail inside, as a failed allocation would.
struct ThrowingRegistry : fakes::FakeRegistry {
    long OpenKey(std::uint32_t, const std::wstring&, std::uint32_t access,
                 std::unique_ptr<sysaccess::IRegistryKey>&) override {
        if (access == sysaccess::kKeyQueryValue) throw std::bad_alloc();
        throw sysaccess::VbError(7, L"", L"Out of memory");
    }
};

TEST(Registry, MembersNoWindowUses) {
    ThrowingRegistry failing;
    failing.Deny(kHklm, kKey);  // and a key that cannot be made
    cRegistry reg(failing);
    reg.SetClassKey(kHklm), reg.SetSectionKey(kKey);
    std::vector<std::wstring> names;
    int count = 0;
    const std::wstring raised[] = {L"-2147194454 Out of memory", L"-2147194454 std::bad_alloc",
                                   L"26001 Failed to create registry Key: 'Software\\Q"};
    for (int member : {0, 1, 2}) try {
            member == 2 ? reg.CreateKey()
            : member    ? reg.EnumerateValues(names, count)
                        : reg.EnumerateSections(names, count);
            ADD_FAILURE() << "nothing raised";
        } catch (const sysaccess::VbError& e) {
            EXPECT_EQ(std::to_wstring(e.Number()) + L" " + e.Description(), raised[member]);
        }
    fakes::FakeRegistry plain;  // a listing replaces what the list held before
    plain.MakeKey(kHklm, kKey + L"\\S1");
    cRegistry listing(plain);
    listing.SetClassKey(kHklm), listing.SetSectionKey(kKey);
    EXPECT_TRUE(listing.CreateKey());  // one that can be made, as it is there
    names = {L"stale"};
    listing.EnumerateSections(names, count);
    EXPECT_EQ(names, std::vector<std::wstring>{L"S1"});
    EXPECT_EQ(count, 1);
    std::wstring m;  // machine names get two backslashes unless too short or already there
    for (auto name : {L"ab", L"SRV", L"\\\\HOST"}) reg.SetMachine(name), m += reg.Machine() + L"|";
    EXPECT_EQ(m, L"|\\\\SRV|\\\\HOST|");
}

}  // namespace
