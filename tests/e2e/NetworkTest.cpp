// The Network Settings dialog of the real program under Wine: a connection
// name is seeded for the adapter that carries an IPv4 address, under the
// SettingID that the system's instrumentation reports for it (Wine's differs
// from the adapter name that the IP helper functions give), and removed again
// afterwards.
#include <gtest/gtest.h>
// clang-format off
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <wbemidl.h>
// clang-format on

#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/support/E2eDriver.h"

namespace {

using e2e::QuillonProcess;

const std::wstring kClassKey =
    L"SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
const wchar_t kConnectionName[] = L"Quillon e2e LAN";
const wchar_t kCaption[] = L"Network Settings";

struct Ipv4Adapter {
    std::wstring settingId;
    std::wstring address;
};

// Releases a COM interface pointer when it goes.
template <typename T>
class ComRef {
  public:
    ComRef() = default;
    ~ComRef() {
        if (p_) p_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T* operator->() const { return p_; }
    T** out() { return &p_; }
    explicit operator bool() const { return p_ != nullptr; }

  private:
    T* p_ = nullptr;
};

class ComThread {
  public:
    ComThread() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComThread() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComThread(const ComThread&) = delete;
    ComThread& operator=(const ComThread&) = delete;

  private:
    HRESULT hr_;
};

class VariantValue {
  public:
    VariantValue() { VariantInit(&v); }
    ~VariantValue() { VariantClear(&v); }
    VariantValue(const VariantValue&) = delete;
    VariantValue& operator=(const VariantValue&) = delete;
    VARIANT v;
};

// The texts of a VT_ARRAY | VT_BSTR property.
std::vector<std::wstring> Texts(const VARIANT& value) {
    std::vector<std::wstring> texts;
    if (value.vt != (VT_ARRAY | VT_BSTR) || !value.parray) return texts;
    LONG low = 0, high = -1;
    SafeArrayGetLBound(value.parray, 1, &low);
    SafeArrayGetUBound(value.parray, 1, &high);
    for (LONG i = low; i <= high; ++i) {
        BSTR text = nullptr;
        if (SUCCEEDED(SafeArrayGetElement(value.parray, &i, &text))) {
            texts.emplace_back(text ? text : L"");
            SysFreeString(text);
        }
    }
    return texts;
}

// The first IP-enabled adapter with an IPv4 address, as the instrumentation
// reports it.
std::optional<Ipv4Adapter> FindIpv4Adapter() {
    static const CLSID kWbemLocator = {
        0x4590f811, 0x1d3a, 0x11d0, {0x89, 0x1f, 0x00, 0xaa, 0x00, 0x4b, 0x2e, 0x24}};
    static const IID kIWbemLocator = {
        0xdc12a687, 0x737f, 0x11cf, {0x88, 0x4d, 0x00, 0xaa, 0x00, 0x4b, 0x2e, 0x24}};
    ComThread com;
    ComRef<IWbemLocator> locator;
    if (FAILED(CoCreateInstance(kWbemLocator, nullptr, CLSCTX_INPROC_SERVER, kIWbemLocator,
                                reinterpret_cast<void**>(locator.out()))))
        return std::nullopt;
    ComRef<IWbemServices> services;
    BSTR ns = SysAllocString(L"root\\cimv2");
    const HRESULT connected =
        locator->ConnectServer(ns, nullptr, nullptr, nullptr, 0, nullptr, nullptr, services.out());
    SysFreeString(ns);
    if (FAILED(connected)) return std::nullopt;
    ComRef<IEnumWbemClassObject> rows;
    BSTR language = SysAllocString(L"WQL");
    BSTR query =
        SysAllocString(L"SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True");
    const HRESULT queried =
        services->ExecQuery(language, query, WBEM_FLAG_FORWARD_ONLY, nullptr, rows.out());
    SysFreeString(language);
    SysFreeString(query);
    if (FAILED(queried)) return std::nullopt;
    for (;;) {
        ComRef<IWbemClassObject> row;
        ULONG returned = 0;
        if (rows->Next(static_cast<LONG>(WBEM_INFINITE), 1, row.out(), &returned) != S_OK ||
            returned == 0)
            break;
        VariantValue id, addresses;
        if (FAILED(row->Get(L"SettingID", 0, &id.v, nullptr, nullptr)) || id.v.vt != VT_BSTR)
            continue;
        row->Get(L"IPAddress", 0, &addresses.v, nullptr, nullptr);
        for (const std::wstring& address : Texts(addresses.v)) {
            if (address.find(L':') == std::wstring::npos && address != L"0.0.0.0")
                return Ipv4Adapter{id.v.bstrVal, address};
        }
    }
    return std::nullopt;
}

bool KeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

class NetworkFromMainMenu : public ::testing::Test {
  protected:
    std::optional<Ipv4Adapter> adapter = FindIpv4Adapter();
    // Keys of the connection's path that the test creates, outermost first.
    std::vector<std::wstring> createdKeys;
    std::optional<QuillonProcess> app;
    HWND dialog = nullptr;
    HWND list = nullptr;
    HWND boxes[5] = {};

    void SetUp() override {
        ASSERT_TRUE(adapter.has_value()) << "no adapter with an IPv4 address";
        const std::wstring connection = kClassKey + L"\\" + adapter->settingId + L"\\Connection";
        for (std::size_t pos = connection.find(L'\\');; pos = connection.find(L'\\', pos + 1)) {
            const std::wstring partial = connection.substr(0, pos);
            if (!KeyExists(partial)) createdKeys.push_back(partial);
            if (pos == std::wstring::npos) break;
        }
        ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, connection.c_str(), L"Name", REG_SZ,
                                  kConnectionName, static_cast<DWORD>(sizeof(kConnectionName))),
                  ERROR_SUCCESS);
        app.emplace();
        dialog = app->OpenFromMainMenu(L"&Networking", kCaption);
        ASSERT_NE(dialog, nullptr) << "no Network Settings window";
        list = e2e::FindChildByClass(dialog, L"ComboBox", 0);
        ASSERT_NE(list, nullptr);
        for (int i = 0; i < 5; ++i) {
            boxes[i] = e2e::FindChildByClass(dialog, L"Edit", i);
            ASSERT_NE(boxes[i], nullptr) << i;
        }
    }

    void TearDown() override {
        app.reset();
        for (auto it = createdKeys.rbegin(); it != createdKeys.rend(); ++it)
            RegDeleteKeyW(HKEY_LOCAL_MACHINE, it->c_str());
    }

    std::wstring NextMessage() {
        auto box = app->WaitForMessageBox();
        if (!box) {
            ADD_FAILURE() << "no message box";
            return {};
        }
        EXPECT_EQ(box->title, L"Quillon");
        EXPECT_EQ(box->buttons, std::vector<std::wstring>{L"OK"});
        e2e::PressMessageBoxButton(*box, L"OK");
        // The next message may open at once, so wait for this box to go.
        EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindow(box->hwnd); }));
        return box->text;
    }
};

TEST_F(NetworkFromMainMenu, ListsTheNamedConnectionAndLoadsItsAddressForAStaticChoice) {
    EXPECT_EQ(e2e::Text(list), kConnectionName) << e2e::Narrow(adapter->settingId);
    HWND automatic = e2e::FindChild(dialog, L"Obtain an IP address automatically");
    HWND manual = e2e::FindChild(dialog, L"Use the following IP address:");
    HWND autoDns = e2e::FindChild(dialog, L"Obtain DNS server address automatically");
    HWND manualDns = e2e::FindChild(dialog, L"Use the following DNS server address:");
    ASSERT_NE(automatic, nullptr);
    ASSERT_NE(manual, nullptr);
    ASSERT_NE(autoDns, nullptr);
    ASSERT_NE(manualDns, nullptr);
    if (e2e::IsChecked(automatic)) {
        for (HWND box : boxes) {
            EXPECT_EQ(e2e::Text(box), L"");
            EXPECT_FALSE(e2e::IsEnabled(box));
        }
        e2e::Click(manual);
    }
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::Text(boxes[0]) == adapter->address; }))
        << e2e::Narrow(e2e::Text(boxes[0]));
    EXPECT_TRUE(e2e::IsEnabled(boxes[0]));
    EXPECT_NE(e2e::Text(boxes[1]), L"");
    EXPECT_TRUE(e2e::IsChecked(manualDns));
    EXPECT_FALSE(e2e::IsEnabled(autoDns));
    EXPECT_TRUE(e2e::IsEnabled(boxes[3]));

    // Back to automatic: everything cleared, the DNS choice free again.
    e2e::Click(automatic);
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::Text(boxes[0]).empty(); }));
    EXPECT_TRUE(e2e::IsChecked(autoDns));
    EXPECT_TRUE(e2e::IsEnabled(autoDns));
    EXPECT_FALSE(e2e::IsEnabled(boxes[0]));
    EXPECT_FALSE(app->CurrentMessageBox().has_value());

    e2e::Click(e2e::FindChild(dialog, L"&Cancel"));
    EXPECT_TRUE(e2e::WaitUntil([&] { return app->Windows(kCaption).empty(); }));
    EXPECT_TRUE(app->Running());
}

TEST_F(NetworkFromMainMenu, InvalidTextIsRefusedAndAStaticAddressReportsWhatFailed) {
    e2e::Click(e2e::FindChild(dialog, L"Use the following IP address:"));
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::IsEnabled(boxes[0]); }));
    e2e::SetText(boxes[0], L"192.0.2.300");
    e2e::Click(e2e::FindChild(dialog, L"&OK"));
    EXPECT_EQ(NextMessage(), L"Invalid");
    EXPECT_TRUE(e2e::IsVisible(dialog));

    e2e::SetText(boxes[0], L"192.0.2.200");
    e2e::SetText(boxes[1], L"255.255.255.0");
    e2e::SetText(boxes[2], L"");
    e2e::SetText(boxes[3], L"192.0.2.53");
    e2e::Click(e2e::FindChild(dialog, L"&OK"));
    const std::wstring first = NextMessage();
    EXPECT_EQ(first.rfind(L"Failed to set the IP address. ", 0), 0u) << e2e::Narrow(first);
    // The DNS step still runs.
    const std::wstring second = NextMessage();
    EXPECT_EQ(second.rfind(L"Failed to set the DNS servers. ", 0), 0u) << e2e::Narrow(second);
    // Reloaded from the system, and the window stays usable.
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::Text(list) == kConnectionName; }));
    EXPECT_TRUE(e2e::IsVisible(dialog));
    e2e::Close(dialog);
    EXPECT_TRUE(e2e::WaitUntil([&] { return app->Windows(kCaption).empty(); }));
    EXPECT_TRUE(app->Running());
}

}  // namespace
