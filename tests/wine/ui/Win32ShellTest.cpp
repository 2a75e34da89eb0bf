// The Win32 layer on real windows: what each kind of control shows and hands back, keyboard,
// modal forms, message boxes, the loop's end; the launcher; the system's letter case.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <thread>
#include <tuple>

#include "sysaccess/TextCase.h"
#include "tests/wine/ui/SampleForms.h"
#include "win32/Dpi.h"
#include "win32/FormWindow.h"
#include "win32/Win32Peers.h"
#include "win32/Win32ProcessLauncher.h"
#include "win32/Win32Shell.h"

namespace {

std::wstring Text(HWND hwnd) {
    wchar_t buffer[256] = {};
    ::GetWindowTextW(hwnd, buffer, 256);
    return buffer;
}

LONG_PTR Style(HWND hwnd) { return ::GetWindowLongPtrW(hwnd, GWL_STYLE); }

BOOL CALLBACK FindMessageBox(HWND hwnd, LPARAM found) {
    DWORD pid = 0;
    wchar_t cls[16] = {};
    ::GetWindowThreadProcessId(hwnd, &pid), ::GetClassNameW(hwnd, cls, 16);
    const bool box =
        pid == ::GetCurrentProcessId() && ::IsWindowVisible(hwnd) && !lstrcmpW(cls, L"#32770");
    return box ? (*reinterpret_cast<HWND*>(found) = hwnd, FALSE) : TRUE;
}

// Answers the next message box of this process from another thread, as the
// user would; "title|text" of the box.
struct MessageBoxAnswerer {
    MessageBoxAnswerer(int button, std::wstring& shown)
        : thread([button, &shown] {
              HWND box = nullptr;
              for (int i = 0; i < 400 && !box; ++i)
                  ::Sleep(25), ::EnumWindows(&FindMessageBox, LPARAM(&box));
              shown = Text(box) + L"|" + Text(::GetDlgItem(box, 0xFFFF));
              ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
          }) {}
    ~MessageBoxAnswerer() { thread.join(); }
    std::thread thread;
};

struct Win32ShellTest : ::testing::Test {
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&controls);
    }
    std::shared_ptr<wine_ui::SampleForm> Shown() {
        auto form = ui::NewForm<wine_ui::SampleForm>(shell);
        form->Show(), shell.DoEvents();
        return form;
    }
    HWND Hwnd(ui::Control& c) { return shell.RecordOf(c.Owner())->PeerOf(c)->Hwnd(); }
    LONG_PTR StyleOf(ui::Control& c, LONG_PTR mask) { return Style(Hwnd(c)) & mask; }
    LRESULT Send(ui::Control& c, UINT message, WPARAM w = 0, LPARAM l = 0) {
        return ::SendMessageW(Hwnd(c), message, w, l);
    }
    win32::Win32Shell shell;
};

TEST_F(Win32ShellTest, EachKindOfControlHasItsWindowStyleAndFontAndTabsInTheFormsOrder) {
    auto form = Shown();
    HWND window = shell.WindowOf(*form);
    EXPECT_FALSE(Style(window) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    RECT area{}, frame{};  // in the middle of the screen
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0), ::GetWindowRect(window, &frame);
    EXPECT_NEAR(frame.left + frame.right, area.left + area.right, 2);
    EXPECT_NEAR(frame.top + frame.bottom, area.top + area.bottom, 2);
    EXPECT_EQ(StyleOf(*form->chkFlag, BS_TYPEMASK), BS_CHECKBOX);
    EXPECT_EQ(StyleOf(*form->optA, BS_TYPEMASK | WS_GROUP), BS_RADIOBUTTON | WS_GROUP);
    EXPECT_EQ(StyleOf(*form->cmdOK, BS_TYPEMASK), BS_DEFPUSHBUTTON);
    EXPECT_EQ(StyleOf(*form->cmdPicture, BS_TYPEMASK), BS_OWNERDRAW);
    EXPECT_EQ(StyleOf(*form->cmbKind, 3 | CBS_SORT), CBS_DROPDOWNLIST);
    EXPECT_EQ(StyleOf(*form->lstItems, LBS_SORT), 0);
    EXPECT_EQ(StyleOf(*form->tvwFeatures, TVS_CHECKBOXES), TVS_CHECKBOXES);
    EXPECT_EQ(StyleOf(*form->txtLog, ES_MULTILINE | WS_VSCROLL), ES_MULTILINE | WS_VSCROLL);
    EXPECT_EQ(Send(*form->txtPassword, EM_GETPASSWORDCHAR), L'*');
    EXPECT_EQ(Send(*form->txtName, EM_GETLIMITTEXT), 10);
    LOGFONTW font{}, bold{};
    ::GetObjectW(HFONT(Send(*form->cmdOK, WM_GETFONT)), sizeof font, &font);
    ::GetObjectW(HFONT(Send(*form->cmdPicture, WM_GETFONT)), sizeof bold, &bold);
    EXPECT_EQ(std::wstring(font.lfFaceName), L"Verdana");
    EXPECT_EQ(font.lfHeight, win32::FontHeightForPoints(8.25, win32::ScreenDpi()));
    EXPECT_EQ(std::make_pair(font.lfWeight, bold.lfWeight),
              std::make_pair(LONG{FW_NORMAL}, LONG{FW_BOLD}));
    ::PostMessageW(window, WM_MOUSEMOVE, 0, 0), shell.DoEvents();  // the tips come with the mouse
    HWND tip = nullptr;  // the form's tool tips: the button's own, and its area's for when greyed
    while ((tip = ::FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) &&
           ::GetWindow(tip, GW_OWNER) != window) {
    }
    wchar_t text[64] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE, tool.hwnd = window,
    tool.uId = UINT_PTR(Hwnd(*form->cmdPicture));
    tool.lpszText = text, ::SendMessageW(tip, TTM_GETTEXTW, 64, LPARAM(&tool));
    EXPECT_EQ(text + std::to_wstring(::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0)),
              L"A button with a picture2");
    std::vector<HWND> zOrder, tabOrder, walk;  // the windows' order is the tab order
    for (HWND c = ::GetWindow(window, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
        zOrder.push_back(c);
    for (ui::Control* c : form->TabOrder()) tabOrder.push_back(Hwnd(*c));
    EXPECT_EQ(zOrder, tabOrder);
    for (HWND at = Hwnd(*form->optA); walk.size() < 12; at = ::GetNextDlgTabItem(window, at, FALSE))
        walk.push_back(at);
    EXPECT_EQ(walk.back(), walk.front());  // eleven tab stops, then the first again
    form->optB->SetValue(true);            // the group's tab stop moves to the chosen button
    EXPECT_EQ(StyleOf(*form->optB, WS_TABSTOP), WS_TABSTOP);
    form->Unload();
}

TEST_F(Win32ShellTest, ModelAndWindowsFollowEachOther) {
    auto form = Shown();
    Send(*form->cmdOK, BM_CLICK);
    form->cmdOK->SetEnabled(false), form->cmdOK->SetCaption(L"&Apply"),
        form->SetCaption(L"Renamed");
    Send(*form->cmdOK, BM_CLICK);  // a greyed button clicks nothing
    form->cmdOK->SetVisible(false);
    EXPECT_EQ(Text(Hwnd(*form->cmdOK)) + L"|" + Text(shell.WindowOf(*form)), L"&Apply|Renamed");
    EXPECT_FALSE(::IsWindowVisible(Hwnd(*form->cmdOK)) || ::IsWindowEnabled(Hwnd(*form->cmdOK)));

    form->chkFlag->SetValue(1), form->optB->SetValue(true);
    EXPECT_EQ(Send(*form->chkFlag, BM_GETCHECK) + Send(*form->optB, BM_GETCHECK), 2 * BST_CHECKED);
    Send(*form->chkFlag, BM_CLICK), Send(*form->optA, BM_CLICK);  // the user unticks and chooses
    EXPECT_EQ(Send(*form->chkFlag, BM_GETCHECK) + Send(*form->optB, BM_GETCHECK), BST_UNCHECKED);
    EXPECT_EQ(Send(*form->optA, BM_GETCHECK), BST_CHECKED);
    EXPECT_TRUE(form->optA->Value() && !form->optB->Value() && !form->chkFlag->Value());
    form->optB->SetEnabled(false), form->fraOptions->SetEnabled(false);  // greys what it holds
    EXPECT_FALSE(::IsWindowEnabled(Hwnd(*form->optA)));
    form->fraOptions->SetEnabled(true);  // and gives back their own state
    EXPECT_TRUE(::IsWindowEnabled(Hwnd(*form->optA)) && !::IsWindowEnabled(Hwnd(*form->optB)));
    form->fraOptions->SetVisible(false);  // and hides what it holds
    EXPECT_FALSE(::IsWindowVisible(Hwnd(*form->optA)));

    form->txtName->SetText(L"abc");
    EXPECT_EQ(Text(Hwnd(*form->txtName)), L"abc");
    ::SetWindowTextW(Hwnd(*form->txtName), L"xyz"), Send(*form->txtName, EM_SETSEL, 1, 3);  // typed
    EXPECT_EQ(form->txtName->Text(), L"xyz");
    EXPECT_EQ(std::make_pair(form->txtName->SelStart(), form->txtName->SelLength()),
              std::make_pair(1, 2));
    form->txtName->ReplaceSelection(L"Q");
    DWORD start = 0, end = 0;
    Send(*form->txtName, EM_GETSEL, WPARAM(&start), LPARAM(&end));
    EXPECT_EQ(Text(Hwnd(*form->txtName)), L"xQ");
    EXPECT_EQ(std::make_pair(start, end), std::make_pair(DWORD{2}, DWORD{2}));
    HDC dc = ::GetDC(Hwnd(*form->txtLog));  // colours: the model's, on a brush of the window
    LOGBRUSH brush{};
    ::GetObjectW(HBRUSH(::SendMessageW(shell.WindowOf(*form), WM_CTLCOLOREDIT, WPARAM(dc),
                                       LPARAM(Hwnd(*form->txtLog)))),
                 sizeof brush, &brush);
    EXPECT_EQ(std::make_pair(brush.lbColor, ::GetTextColor(dc)),
              std::make_pair(RGB(0, 0, 0), RGB(224, 224, 224)));
    ::ReleaseDC(Hwnd(*form->txtLog), dc);

    for (const wchar_t* item : {L"zeta", L"alpha"})
        form->cmbKind->AddItem(item), form->lstItems->AddItem(item);
    wchar_t first[16] = {};
    Send(*form->lstItems, LB_GETTEXT, 0, LPARAM(first));
    EXPECT_EQ(std::wstring(first), L"zeta");  // in the model's order
    form->cmbKind->SetListIndex(1);
    EXPECT_EQ(Send(*form->cmbKind, CB_GETCURSEL), 1);
    form->lstItems->SetListIndex(0);
    Send(*form->cmbKind, WM_KEYDOWN, VK_UP),
        Send(*form->lstItems, WM_KEYDOWN, VK_DOWN);  // the user
    EXPECT_EQ(std::make_pair(form->cmbKind->ListIndex(), form->lstItems->ListIndex()),
              std::make_pair(0, 1));
    form->lstItems->Clear();
    EXPECT_EQ(Send(*form->lstItems, LB_GETCOUNT), 0);
    EXPECT_EQ(form->Events(),
              L"Activate1 Load1 chkFlag2 cmbKind2 cmdOK1 lstItems2 optA1 optB1 txtName3 ");
    form->Unload();
}

TEST_F(Win32ShellTest, TreeBoxesShowTheModelAndHandTheUsersToggleBack) {
    auto form = Shown();
    HWND tree = Hwnd(*form->tvwFeatures);
    ui::TreeNode* web = form->tvwFeatures->AddRoot(L"web", L"Web server");
    form->tvwFeatures->AddChild(L"web", L"ftp", L"FTP");
    auto root = HTREEITEM(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    auto box = [&] {  // the state image of the node's box: 1 unticked, 2 ticked
        return ::SendMessageW(tree, TVM_GETITEMSTATE, WPARAM(root), TVIS_STATEIMAGEMASK) >> 12;
    };
    web->SetChecked(true);
    EXPECT_EQ(box(), 2);
    ::SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, LPARAM(root)), ::SetFocus(tree);  // Space
    ::SendMessageW(tree, WM_KEYDOWN, VK_SPACE, 0),
        ::SendMessageW(tree, WM_KEYUP, VK_SPACE, 0xC0000000);
    shell.DoEvents();
    EXPECT_EQ(std::make_pair(web->Checked(), box()), std::make_pair(false, LRESULT{1}));
    form->tvwFeatures->SetEnabled(false);  // a greyed tree keeps the model's state
    ::PostMessageW(shell.WindowOf(*form), win32::kMsgTreeToggle, ::GetDlgCtrlID(tree),
                   LPARAM(root));
    shell.DoEvents();
    EXPECT_EQ(std::make_pair(web->Checked(), box()), std::make_pair(false, LRESULT{1}));
    EXPECT_EQ(form->Events(), L"Activate1 Load1 tvwFeatures1 ");
    form->Unload();
}

TEST_F(Win32ShellTest, EnterEscapeAccessKeysAndTab) {
    auto form = Shown();
    auto press = [&](ui::Control& c, UINT message, WPARAM key, LPARAM flags = 1) {
        c.SetFocus(), ::PostMessageW(Hwnd(c), message, key, flags), shell.DoEvents();
    };
    press(*form->txtName, WM_KEYDOWN, VK_RETURN);      // the default button
    press(*form->txtName, WM_KEYDOWN, VK_ESCAPE);      // the cancel button
    press(*form->cmdPicture, WM_KEYDOWN, VK_RETURN);   // a focused button itself
    press(*form->txtName, WM_SYSCHAR, L'p', 1 << 29);  // Alt+P
    press(*form->txtName, WM_SYSCHAR, L'f', 1 << 29);  // Alt+F ticks the box
    ::PostMessageW(Hwnd(*form->txtLog), WM_CHAR, L'\t', 1);
    press(*form->txtLog, WM_KEYDOWN, VK_TAB);  // leaves the multi-line box
    EXPECT_EQ(::GetFocus(), Hwnd(*form->tvwFeatures));
    ::PostMessageW(Hwnd(*form->txtLog), WM_CHAR, 0x1B, 1);
    press(*form->txtLog, WM_KEYDOWN, VK_ESCAPE);  // cancels from there too
    EXPECT_EQ(Text(Hwnd(*form->txtLog)), L"");
    ::SetFocus(Hwnd(*form->chkFlag)), ::PostMessageW(Hwnd(*form->chkFlag), WM_NULL, 0, 0);
    shell.DoEvents();
    EXPECT_EQ(form->FocusedControl(), form->chkFlag);  // the user's focus reaches the model
    EXPECT_EQ(form->Events(), L"Activate1 Load1 chkFlag1 cmdCancel2 cmdOK1 cmdPicture2 ");
    form->Unload();
}

TEST_F(Win32ShellTest, ModalFormsMessageBoxesAndTheEndOfTheLoop) {
    auto owner = Shown();
    auto modal = ui::NewForm<wine_ui::SampleForm>(shell);
    bool ownerDisabled = false;
    modal->cmdOK->Click = [&] {
        ownerDisabled = !::IsWindowEnabled(shell.WindowOf(*owner)), modal->Hide();
    };
    modal->Load();
    ::PostMessageW(Hwnd(*modal->cmdOK), BM_CLICK, 0, 0);
    modal->ShowModal();  // returns once hidden, the others disabled meanwhile
    EXPECT_TRUE(ownerDisabled && modal->IsLoaded() && !::IsWindowVisible(shell.WindowOf(*modal)));
    modal->cmdOK->Click = [&] { modal->Unload(); };
    ::PostMessageW(Hwnd(*modal->cmdOK), BM_CLICK, 0, 0);
    modal->ShowModal();  // or once unloaded
    EXPECT_TRUE(!modal->IsLoaded() && ::IsWindowEnabled(shell.WindowOf(*owner)));
    const int activations = owner->events[L"Activate"];
    std::wstring shown;
    for (auto [button, title, answer] :
         {std::tuple{IDNO, L"", ui::kIdNo}, {IDYES, L"Computer Name", ui::kIdYes}}) {
        {
            MessageBoxAnswerer user(button, shown);
            EXPECT_EQ(shell.MsgBox(L"Restart now?", ui::kMbYesNo, title), answer);
        }
        EXPECT_EQ(shown, (*title ? title : L"Quillon") + std::wstring(L"|Restart now?"));
    }
    owner->cmdOK->Click = [] { throw std::runtime_error("disk on fire"); };
    {
        MessageBoxAnswerer user(IDOK, shown);
        Send(*owner->cmdOK, BM_CLICK);  // a failing handler: a message, and the window stays
    }
    EXPECT_NE(shown.find(L"disk on fire"), std::wstring::npos);
    EXPECT_EQ(owner->events[L"Activate"], activations);  // closing a box is no return to the form
    auto second = Shown();
    owner->cmdOK->Click = [&] { owner->Unload(); };
    owner->onUnload = [&] { ::PostMessageW(shell.WindowOf(*second), WM_CLOSE, 0, 0); };
    ::PostMessageW(Hwnd(*owner->cmdOK), BM_CLICK, 0, 0);
    EXPECT_EQ(shell.Run(), 0);  // until the last form has gone
    EXPECT_TRUE(shell.LoadedForms().empty());
    second->txtName->SetText(L"after");  // the model lives on without its windows
    second->Show();
    EXPECT_EQ(Text(Hwnd(*second->txtName)), L"after");
    second->Unload();
}

// A process that cannot start is told (starting one is the real program's, end to end).
TEST(ProcessLauncher, TellsAProgramThatCannotStart) {
    EXPECT_FALSE(
        win32::Win32ProcessLauncher().StartDetached(L"no-such-program-q7.exe /x", SW_SHOWNORMAL));
}

TEST(LetterCase, TheSystemsMappingAsTheNativeStandIn) {
    for (auto [lower, upper] : {std::pair{L"é", L"É"}, {L"ж", L"Ж"}, {L"σ", L"Σ"}}) {
        EXPECT_EQ(sysaccess::ToUpper(lower), upper);
        EXPECT_EQ(sysaccess::ToLower(upper), lower);
        EXPECT_TRUE(sysaccess::EqualsIgnoreCase(lower, upper));
    }
    EXPECT_EQ(sysaccess::ToUpper(L"ςıſ"), L"ςıſ");  // their capitals lower to other letters
}

}  // namespace
