// The Features window of the real program, opened from the main menu, with
// stand-ins for the feature tools in the program's folder: oclist.exe and
// oclist64.exe print a feature tree (logging each run to oclist-log.txt),
// and ocsetup.exe, which the window starts through "cmd /c", logs its
// arguments to ocsetup-log.txt and records installs and removals for the
// next listing.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/e2e/support/E2eDriver.h"

namespace {

using e2e::QuillonProcess;

struct Item {
    std::wstring text;
    int depth;
    bool checked;
    bool operator==(const Item&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Item& item) {
    return os << "{" << e2e::Narrow(item.text) << ", " << item.depth
              << (item.checked ? ", checked}" : "}");
}

// Reads a tree view of another process: its items live in that process, so
// the item structure and the text buffer are placed in its memory.
class RemoteTree {
  public:
    RemoteTree(HWND tree, DWORD processId)
        : tree_(tree),
          process_(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                                 processId)) {
        if (process_)
            memory_ = ::VirtualAllocEx(process_, nullptr, kBytes, MEM_COMMIT | MEM_RESERVE,
                                       PAGE_READWRITE);
    }
    ~RemoteTree() {
        if (memory_) ::VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
        if (process_) ::CloseHandle(process_);
    }
    RemoteTree(const RemoteTree&) = delete;
    RemoteTree& operator=(const RemoteTree&) = delete;

    bool Ready() const { return memory_ != nullptr; }

    // Every item in display order (parents before their children).
    std::vector<Item> Items() {
        std::vector<Item> items;
        handles_.clear();
        Walk(Next(nullptr, TVGN_ROOT), 1, items);
        return items;
    }

    // Selects the item and presses Space on the tree, as the user toggles a box.
    void Toggle(const std::wstring& text) {
        const auto items = Items();
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (items[i].text != text) continue;
            DWORD_PTR ignored = 0;
            ::SendMessageTimeoutW(tree_, TVM_SELECTITEM, TVGN_CARET,
                                  reinterpret_cast<LPARAM>(handles_[i]), SMTO_ABORTIFHUNG, 5000,
                                  &ignored);
            ::PostMessageW(tree_, WM_KEYDOWN, VK_SPACE, 0x00390001);
            ::PostMessageW(tree_, WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0390001u));
            return;
        }
        ADD_FAILURE() << "no item " << e2e::Narrow(text);
    }

  private:
    static constexpr SIZE_T kBytes = 4096;
    static constexpr SIZE_T kTextOffset = 512;
    static constexpr int kTextChars = 1024;

    HTREEITEM Next(HTREEITEM item, WPARAM relation) {
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(tree_, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item),
                              SMTO_ABORTIFHUNG, 5000, &result);
        return reinterpret_cast<HTREEITEM>(result);
    }

    void Walk(HTREEITEM item, int depth, std::vector<Item>& items) {
        for (; item; item = Next(item, TVGN_NEXT)) {
            items.push_back(Read(item, depth));
            handles_.push_back(item);
            Walk(Next(item, TVGN_CHILD), depth + 1, items);
        }
    }

    Item Read(HTREEITEM handle, int depth) {
        auto* remoteText = static_cast<char*>(memory_) + kTextOffset;
        TVITEMW item{};
        item.mask = TVIF_TEXT | TVIF_STATE | TVIF_HANDLE;
        item.hItem = handle;
        item.stateMask = TVIS_STATEIMAGEMASK;
        item.pszText = reinterpret_cast<wchar_t*>(remoteText);
        item.cchTextMax = kTextChars;
        wchar_t text[kTextChars] = {};
        ::WriteProcessMemory(process_, remoteText, text, sizeof(text), nullptr);
        ::WriteProcessMemory(process_, memory_, &item, sizeof(item), nullptr);
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(memory_),
                              SMTO_ABORTIFHUNG, 5000, &ignored);
        ::ReadProcessMemory(process_, memory_, &item, sizeof(item), nullptr);
        ::ReadProcessMemory(process_, remoteText, text, sizeof(text), nullptr);
        text[kTextChars - 1] = L'\0';
        return {text, depth, ((item.state & TVIS_STATEIMAGEMASK) >> 12) == 2};
    }

    HWND tree_;
    HANDLE process_;
    void* memory_ = nullptr;
    std::vector<HTREEITEM> handles_;
};

std::vector<std::string> LogLines(const std::wstring& path) {
    std::ifstream log(e2e::Narrow(path), std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(log, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

struct FeaturesFromMainMenu : ::testing::Test {
    QuillonProcess app;
    HWND window = nullptr;
    HWND tree = nullptr;
    HWND log = nullptr;

    void SetUp() override {
        window = app.OpenFromMainMenu(L"&Features", L"Server Features and Roles");
        ASSERT_NE(window, nullptr) << "no Server Features and Roles window";
        tree = e2e::FindChildByClass(window, L"SysTreeView32");
        log = e2e::FindChildByClass(window, L"Edit");
        ASSERT_NE(tree, nullptr);
        ASSERT_NE(log, nullptr);
    }

    std::vector<std::string> OclistRuns() { return LogLines(app.Folder() + L"\\oclist-log.txt"); }
    std::vector<std::string> OcsetupRuns() { return LogLines(app.Folder() + L"\\ocsetup-log.txt"); }
};

TEST_F(FeaturesFromMainMenu, ShowsTheListingAndAppliesTheUsersChanges) {
    RemoteTree view(tree, app.Id());
    ASSERT_TRUE(view.Ready());
    const std::vector<Item> listed = {
        {L"BitLocker", 1, false},
        {L"DNS-Server-Core-Role", 1, true},
        {L"IIS-WebServerRole", 1, false},
        {L"IIS-WebServer", 2, false},
        {L"IIS-CommonHttpFeatures", 3, false},
        {L"IIS-StaticContent", 4, false},
        {L"IIS-Security", 3, false},
        {L"IIS-FTPPublishingService", 2, false},
        {L"Legacy&Tools", 1, false},
        {L"NetworkLoadBalancingHeadlessServer", 1, true},
        {L"NLB Tools", 2, true},
    };
    EXPECT_EQ(view.Items(), listed);
    const auto firstRuns = OclistRuns();
    ASSERT_EQ(firstRuns.size(), 1u);
    const std::string tool = firstRuns[0];
    EXPECT_TRUE(tool == "oclist.exe" || tool == "oclist64.exe") << tool;
    EXPECT_EQ(e2e::Text(log), L"");

    // Checking a grandchild's child checks its ancestors; unchecking a root
    // unchecks its subtree.
    view.Toggle(L"IIS-StaticContent");
    ASSERT_TRUE(e2e::WaitUntil([&] { return view.Items()[2].checked; }));
    view.Toggle(L"NetworkLoadBalancingHeadlessServer");
    ASSERT_TRUE(e2e::WaitUntil([&] { return !view.Items()[10].checked; }));
    view.Toggle(L"BitLocker");
    view.Toggle(L"Legacy&Tools");
    ASSERT_TRUE(e2e::WaitUntil([&] { return view.Items()[8].checked; }));
    std::vector<bool> checks;
    for (const Item& item : view.Items()) checks.push_back(item.checked);
    EXPECT_EQ(checks, (std::vector<bool>{true, true, true, true, true, true, false, false, true,
                                         false, false}));

    e2e::Click(e2e::FindChild(window, L"&Configure"));
    ASSERT_TRUE(e2e::WaitUntil([&] { return OclistRuns().size() == 2; }, 60000));
    EXPECT_EQ(OclistRuns(), (std::vector<std::string>{tool, tool}));
    EXPECT_EQ(OcsetupRuns(),
              (std::vector<std::string>{"BitLocker", "IIS-WebServerRole", "IIS-WebServer",
                                        "IIS-CommonHttpFeatures", "IIS-StaticContent",
                                        "NetworkLoadBalancingHeadlessServer /uninstall"}));

    // The tree shows what the tool reports after the changes.
    ASSERT_TRUE(e2e::WaitUntil([&] {
        auto items = view.Items();
        return items.size() == listed.size() && items[0].checked;
    }));
    const std::vector<Item> reloaded = {
        {L"BitLocker", 1, true},
        {L"DNS-Server-Core-Role", 1, true},
        {L"IIS-WebServerRole", 1, true},
        {L"IIS-WebServer", 2, true},
        {L"IIS-CommonHttpFeatures", 3, true},
        {L"IIS-StaticContent", 4, true},
        {L"IIS-Security", 3, false},
        {L"IIS-FTPPublishingService", 2, false},
        {L"Legacy&Tools", 1, false},
        {L"NetworkLoadBalancingHeadlessServer", 1, false},
        {L"NLB Tools", 2, true},
    };
    EXPECT_EQ(view.Items(), reloaded);

    const std::wstring skipped =
        L"Skipped: the name contains a character that cmd would interpret "
        L"(& | < > ^ % \" or a control character), so no command was run.";
    EXPECT_EQ(e2e::Text(log),
              L"\r\nInstalling feature: BitLocker\r\nExecuting: cmd /c ocsetup BitLocker"
              L"\r\nInstalling feature: IIS-WebServerRole\r\nExecuting: cmd /c ocsetup "
              L"IIS-WebServerRole"
              L"\r\nInstalling feature: IIS-WebServer\r\nExecuting: cmd /c ocsetup IIS-WebServer"
              L"\r\nInstalling feature: IIS-CommonHttpFeatures\r\nExecuting: cmd /c ocsetup "
              L"IIS-CommonHttpFeatures"
              L"\r\nInstalling feature: IIS-StaticContent\r\nExecuting: cmd /c ocsetup "
              L"IIS-StaticContent"
              L"\r\nInstalling feature: Legacy&Tools\r\n" +
                  skipped +
                  L"\r\nUninstalling feature: NetworkLoadBalancingHeadlessServer\r\nExecuting: "
                  L"cmd /c ocsetup NetworkLoadBalancingHeadlessServer /uninstall");

    // Nothing changed now: Configure only lists again.
    e2e::Click(e2e::FindChild(window, L"&Configure"));
    ASSERT_TRUE(e2e::WaitUntil([&] { return OclistRuns().size() == 3; }, 60000));
    EXPECT_EQ(OcsetupRuns().size(), 6u);

    e2e::Click(e2e::FindChild(window, L"&Close"));
    EXPECT_TRUE(e2e::WaitUntil([&] { return app.Windows(L"Server Features and Roles").empty(); }));
}

}  // namespace
