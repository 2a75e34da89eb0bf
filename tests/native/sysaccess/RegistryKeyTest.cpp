#include <gtest/gtest.h>

#include "sysaccess/cRegistry.h"
#include "tests/support/FakeRegistry.h"

namespace {

using sysaccess::cRegistry;
using sysaccess::kHkeyLocalMachine;
using sysaccess::VbError;
using Names = std::vector<std::wstring>;

const std::wstring kVideo = L"System\\CurrentControlSet\\Control\\Video";

struct RegistryKey : ::testing::Test {
    testing_support::FakeRegistry fake;

    cRegistry At(const std::wstring& path) {
        cRegistry reg(fake);
        reg.SetClassKey(kHkeyLocalMachine);
        reg.SetSectionKey(path);
        return reg;
    }

    // Runs f, expecting a VbError; returns it.
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

    void TearDown() override { EXPECT_EQ(fake.OpenHandles(), 0) << "a registry key was left open"; }
};

TEST_F(RegistryKey, KeyExistsOpensForQueryAndClosesAgain) {
    fake.CreateKey(kHkeyLocalMachine, L"Software\\Present");
    EXPECT_TRUE(At(L"Software\\Present").KeyExists());
    EXPECT_TRUE(At(L"SOFTWARE\\present").KeyExists());
    EXPECT_FALSE(At(L"Software\\Absent").KeyExists());
    EXPECT_TRUE(At(L"").KeyExists()) << "the root itself";
    fake.DenyAccess(kHkeyLocalMachine, L"Software\\Present");
    EXPECT_FALSE(At(L"Software\\Present").KeyExists());
    cRegistry noRoot(fake);
    noRoot.SetSectionKey(L"Software");
    EXPECT_FALSE(noRoot.KeyExists()) << "ClassKey 0 is no root";
}

TEST_F(RegistryKey, CreateAndDeleteKeys) {
    auto reg = At(L"Software\\Made\\Deep");
    EXPECT_TRUE(reg.CreateKey());
    EXPECT_TRUE(fake.HasKey(kHkeyLocalMachine, L"Software\\Made\\Deep"));
    EXPECT_TRUE(reg.CreateKey()) << "an existing key is simply opened";

    auto parent = At(L"Software\\Made");
    auto e = Raised([&] { parent.DeleteKey(); });
    EXPECT_EQ(e.Number(), 26001);
    EXPECT_EQ(e.Source(), L"quillon.cRegistry");
    EXPECT_EQ(e.Description(),
              L"Failed to delete registry Key: '-2147483646',Section: 'Software\\Made");
    EXPECT_TRUE(reg.DeleteKey());
    EXPECT_TRUE(parent.DeleteKey());
    EXPECT_FALSE(fake.HasKey(kHkeyLocalMachine, L"Software\\Made"));
    EXPECT_EQ(Raised([&] { parent.DeleteKey(); }).Number(), 26001) << "already gone";
}

TEST_F(RegistryKey, CreateKeyFailureNamesTheSectionWithoutClosingQuote) {
    fake.CreateKey(kHkeyLocalMachine, L"Software\\Locked");
    fake.MakeReadOnly(kHkeyLocalMachine, L"Software\\Locked");
    auto e = Raised([&] { At(L"Software\\Locked\\Child").CreateKey(); });
    EXPECT_EQ(e.Number(), 26001);
    EXPECT_EQ(e.Description(), L"Failed to create registry Key: 'Software\\Locked\\Child");
    EXPECT_FALSE(fake.HasKey(kHkeyLocalMachine, L"Software\\Locked\\Child"));
}

TEST_F(RegistryKey, DeleteValueAndItsTwoFailures) {
    fake.SetDword(kHkeyLocalMachine, L"Software\\K", L"V", 1);
    auto reg = At(L"Software\\K");
    reg.SetValueKey(L"V");
    EXPECT_TRUE(reg.DeleteValue());
    EXPECT_FALSE(fake.HasValue(kHkeyLocalMachine, L"Software\\K", L"V"));

    auto missingValue = Raised([&] { reg.DeleteValue(); });
    EXPECT_EQ(missingValue.Number(), 26001);
    EXPECT_EQ(missingValue.Description(),
              L"Failed to delete registry Key: '-2147483646',Section: 'Software\\K',Key: 'V");

    auto missingKey = At(L"Software\\Nope");
    missingKey.SetValueKey(L"V");
    auto e = Raised([&] { missingKey.DeleteValue(); });
    EXPECT_EQ(e.Number(), 26001);
    EXPECT_EQ(e.Description(),
              L"Failed to open key '-2147483646',Section: 'Software\\Nope' for delete access");

    fake.SetDword(kHkeyLocalMachine, L"Software\\K", L"V", 1);
    fake.MakeReadOnly(kHkeyLocalMachine, L"Software\\K");
    EXPECT_EQ(Raised([&] { reg.DeleteValue(); }).Description(),
              L"Failed to open key '-2147483646',Section: 'Software\\K' for delete access");
    EXPECT_TRUE(fake.HasValue(kHkeyLocalMachine, L"Software\\K", L"V"));
}

TEST_F(RegistryKey, EnumerateSectionsKeepsRegistryOrder) {
    for (const wchar_t* name : {L"{Zeta}", L"{alpha}", L"{Mid}"})
        fake.CreateKey(kHkeyLocalMachine, kVideo + L"\\" + name + L"\\0000");
    Names names;
    int count = -1;
    EXPECT_TRUE(At(kVideo).EnumerateSections(names, count));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(names, (Names{L"{Zeta}", L"{alpha}", L"{Mid}"}));
}

TEST_F(RegistryKey, EnumerateSectionsEmptyMissingAndDenied) {
    fake.CreateKey(kHkeyLocalMachine, L"Software\\Leaf");
    Names names{L"left over"};
    int count = 5;
    EXPECT_TRUE(At(L"Software\\Leaf").EnumerateSections(names, count));
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(names.empty());

    names = {L"left over"};
    count = 5;
    EXPECT_TRUE(At(L"Software\\Missing").EnumerateSections(names, count));
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(names.empty());

    fake.CreateKey(kHkeyLocalMachine, L"Software\\Secret\\Inner");
    fake.DenyAccess(kHkeyLocalMachine, L"Software\\Secret");
    EXPECT_TRUE(At(L"Software\\Secret").EnumerateSections(names, count));
    EXPECT_EQ(count, 0);
}

TEST_F(RegistryKey, EnumerateSectionsStopsAtANameTooLongForItsBuffer) {
    fake.CreateKey(kHkeyLocalMachine, L"Software\\P\\first");
    fake.CreateKey(kHkeyLocalMachine, L"Software\\P\\" + std::wstring(255, L'n'));
    fake.CreateKey(kHkeyLocalMachine, L"Software\\P\\third");
    Names names;
    int count = 0;
    EXPECT_TRUE(At(L"Software\\P").EnumerateSections(names, count));
    EXPECT_EQ(names, (Names{L"first"}));
    EXPECT_EQ(count, 1);
}

TEST_F(RegistryKey, EnumerateValuesListsNamesIncludingTheDefault) {
    fake.SetDword(kHkeyLocalMachine, L"Software\\V", L"One", 1);
    fake.SetString(kHkeyLocalMachine, L"Software\\V", L"", L"default");
    fake.SetString(kHkeyLocalMachine, L"Software\\V", std::wstring(300, L'L'), L"long");
    Names names;
    int count = 0;
    EXPECT_TRUE(At(L"Software\\V").EnumerateValues(names, count));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(names, (Names{L"One", L"", std::wstring(300, L'L')}));

    EXPECT_TRUE(At(L"Software\\None").EnumerateValues(names, count));
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(names.empty());
}

// A backend whose enumeration throws, as a failing allocation would.
class ThrowingBackend : public testing_support::FakeRegistry {
  public:
    long OpenKey(std::uint32_t root, const std::wstring& path, std::uint32_t access,
                 std::unique_ptr<sysaccess::IRegistryKey>& key) override {
        long status = FakeRegistry::OpenKey(root, path, access, key);
        if (status == 0) key = std::make_unique<Throwing>(std::move(key));
        return status;
    }

  private:
    struct Throwing : sysaccess::IRegistryKey {
        explicit Throwing(std::unique_ptr<sysaccess::IRegistryKey> inner)
            : inner(std::move(inner)) {}
        long QueryValue(const std::wstring&, std::uint32_t&, std::vector<std::uint8_t>*,
                        std::uint32_t&) override {
            return 2;
        }
        long SetValue(const std::wstring&, std::uint32_t,
                      const std::vector<std::uint8_t>&) override {
            return 5;
        }
        long DeleteValue(const std::wstring&) override { return 5; }
        long EnumKey(std::uint32_t, std::uint32_t, std::wstring&) override {
            throw VbError(7, L"", L"Out of memory");
        }
        long EnumValue(std::uint32_t, std::uint32_t, std::wstring&) override {
            throw std::runtime_error("bad allocation");
        }
        long QueryMaxValueNameLength(std::uint32_t& chars) override {
            chars = 4;
            return 0;
        }
        std::unique_ptr<sysaccess::IRegistryKey> inner;
    };
};

TEST(RegistryEnumerationErrors, RunTimeErrorsBecomeTheEnumerationErrorAndCloseTheKey) {
    ThrowingBackend backend;
    backend.CreateKey(kHkeyLocalMachine, L"Software\\T");
    cRegistry reg(backend);
    reg.SetClassKey(kHkeyLocalMachine);
    reg.SetSectionKey(L"Software\\T");
    Names names;
    int count = 0;
    try {
        reg.EnumerateSections(names, count);
        FAIL() << "no error";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), static_cast<std::int32_t>(0x800469AAu));
        EXPECT_EQ(e.Source(), L"quillon.cRegistry");
        EXPECT_EQ(e.Description(), L"Out of memory");
    }
    try {
        reg.EnumerateValues(names, count);
        FAIL() << "no error";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), static_cast<std::int32_t>(0x800469AAu));
        EXPECT_EQ(e.Description(), L"bad allocation");
    }
    EXPECT_EQ(backend.OpenHandles(), 0);
}

}  // namespace
