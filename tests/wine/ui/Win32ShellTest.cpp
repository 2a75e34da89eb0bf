// The Win32 layer against real windows: layout, tab order, the two-way
// binding of every kind of control, keyboard defaults, modal forms, the
// message loop's end, message boxes and GUI object leaks.
#include <windows.h>
// (first: the other system headers need its types)

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <thread>

#include "tests/wine/ui/SampleForms.h"
#include "win32/Dpi.h"
#include "win32/FormWindow.h"
#include "win32/Win32Shell.h"

namespace {

using wine_ui::SampleForm;

std::wstring WindowText(HWND hwnd) {
    wchar_t buffer[512] = {};
    ::GetWindowTextW(hwnd, buffer, 512);
    return buffer;
}

RECT ChildRect(HWND child) {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

LONG_PTR Style(HWND hwnd) { return ::GetWindowLongPtrW(hwnd, GWL_STYLE); }

BOOL CALLBACK CollectChild(HWND child, LPARAM data) {
    reinterpret_cast<std::vector<HWND>*>(data)->push_back(child);
    return TRUE;
}

BOOL CALLBACK CollectWithChildren(HWND hwnd, LPARAM data) {
    reinterpret_cast<std::vector<HWND>*>(data)->push_back(hwnd);
    ::EnumChildWindows(hwnd, &CollectChild, data);
    return TRUE;
}

std::vector<HWND> WindowsOfThisThread() {
    std::vector<HWND> all;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CollectWithChildren,
                        reinterpret_cast<LPARAM>(&all));
    return all;
}

// Live GDI objects of the process. Wine does not count them for
// GetGuiResources; there a handle is its table index plus an upper word, and
// an index alone still finds a live entry, so the table can be walked.
int LiveGdiObjects() {
    DWORD counted = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    if (counted) return static_cast<int>(counted);
    int live = 0;
    for (UINT_PTR index = 1; index < 0x10000; ++index)
        if (::GetObjectType(reinterpret_cast<HGDIOBJ>(index))) ++live;
    return live;
}

int LiveUserObjects() {
    DWORD counted = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
    if (counted) return static_cast<int>(counted);
    return static_cast<int>(WindowsOfThisThread().size());
}

// Answers the next message box of this process from another thread, as the
// user would, and remembers what it showed.
class MessageBoxAnswerer {
  public:
    explicit MessageBoxAnswerer(int button) : thread_([this, button] { Run(button); }) {}
    ~MessageBoxAnswerer() { thread_.join(); }
    std::wstring title;
    std::wstring text;
    bool hadIcon = false;
    std::atomic<bool> answered{false};

  private:
    static BOOL CALLBACK MatchBox(HWND hwnd, LPARAM data) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hwnd, &pid);
        wchar_t cls[64] = {};
        ::GetClassNameW(hwnd, cls, 64);
        if (pid == ::GetCurrentProcessId() && ::IsWindowVisible(hwnd) &&
            std::wstring(cls) == L"#32770") {
            *reinterpret_cast<HWND*>(data) = hwnd;
            return FALSE;
        }
        return TRUE;
    }

    static HWND FindBox() {
        HWND found = nullptr;
        ::EnumWindows(&MatchBox, reinterpret_cast<LPARAM>(&found));
        return found;
    }

    void Run(int button) {
        for (int i = 0; i < 400 && !answered; ++i) {
            if (HWND box = FindBox()) {
                title = WindowText(box);
                text = WindowText(::GetDlgItem(box, 0xFFFF));
                ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                               reinterpret_cast<LPARAM>(::GetDlgItem(box, button)));
                answered = true;
                return;
            }
            ::Sleep(25);
        }
    }
    std::thread thread_;
};

class Win32ShellTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                      ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&controls);
    }

    std::shared_ptr<SampleForm> LoadedSample() {
        auto form = ui::NewForm<SampleForm>(shell);
        form->Load();
        return form;
    }

    std::shared_ptr<SampleForm> ShownSample() {
        auto form = ui::NewForm<SampleForm>(shell);
        form->Show();
        shell.DoEvents();
        return form;
    }

    HWND Hwnd(ui::Control& control) {
        win32::FormWindow* record = shell.RecordOf(control.Owner());
        win32::Peer* peer = record ? record->PeerOf(control) : nullptr;
        return peer ? peer->Hwnd() : nullptr;
    }

    int Px(int twips) const { return ui::TwipsToPixels(twips, dpi); }

    win32::Win32Shell shell;
    int dpi = win32::ScreenDpi();
};

TEST_F(Win32ShellTest, WindowsSitWhereTheTwipsSayAtTheScreensDpi) {
    auto form = LoadedSample();
    HWND window = shell.WindowOf(*form);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(form->loads, 1);
    EXPECT_FALSE(::IsWindowVisible(window));  // Load alone does not show
    RECT client{};
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, Px(6000));
    EXPECT_EQ(client.bottom, Px(4800));
    EXPECT_EQ(WindowText(window), L"Sample window");

    // Centred in the work area.
    RECT area{}, frame{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    ::GetWindowRect(window, &frame);
    EXPECT_NEAR((frame.left + frame.right) / 2, (area.left + area.right) / 2, 1);
    EXPECT_NEAR((frame.top + frame.bottom) / 2, (area.top + area.bottom) / 2, 1);

    for (const auto& control : form->Controls()) {
        HWND child = Hwnd(*control);
        ASSERT_NE(child, nullptr) << control->Name().size();
        EXPECT_EQ(::GetParent(child), window);
        const RECT r = ChildRect(child);
        const ui::Bounds& b = control->bounds;
        EXPECT_NEAR(r.left, Px(b.left), 1) << "left";
        EXPECT_NEAR(r.top, Px(b.top), 1) << "top";
        if (control->Kind() == ui::ControlKind::Picture) continue;  // sized by its icon
        if (control->Kind() != ui::ControlKind::Line || b.width > b.height) {
            EXPECT_NEAR(r.right - r.left, Px(b.width), 1) << "width";
        }
        if (control->Kind() != ui::ControlKind::ComboBox &&
            control->Kind() != ui::ControlKind::Line) {
            EXPECT_NEAR(r.bottom - r.top, Px(b.height), 1) << "height";
        }
    }
    EXPECT_EQ(WindowText(Hwnd(*form->cmdOK)), L"OK");
    EXPECT_EQ(WindowText(Hwnd(*form->optA)), L"Choice &A");
    EXPECT_EQ(WindowText(Hwnd(*form->fraOptions)), L"&Options");
    EXPECT_EQ(WindowText(Hwnd(*form->lblName)), L"&Name:");
    EXPECT_EQ(::SendMessageW(Hwnd(*form->txtPassword), EM_GETPASSWORDCHAR, 0, 0), L'*');
    EXPECT_EQ(::SendMessageW(Hwnd(*form->txtName), EM_GETLIMITTEXT, 0, 0), 10);
    EXPECT_TRUE(Style(Hwnd(*form->txtLog)) & ES_MULTILINE);
    EXPECT_TRUE(Style(Hwnd(*form->txtLog)) & WS_VSCROLL);
    EXPECT_TRUE(Style(Hwnd(*form->txtLog)) & WS_HSCROLL);
    EXPECT_EQ(Style(Hwnd(*form->chkFlag)) & BS_TYPEMASK, BS_CHECKBOX);
    EXPECT_EQ(Style(Hwnd(*form->optA)) & BS_TYPEMASK, BS_RADIOBUTTON);
    EXPECT_EQ(Style(Hwnd(*form->cmdOK)) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(Style(Hwnd(*form->cmdPicture)) & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_EQ(Style(Hwnd(*form->cmbKind)) & 3, CBS_DROPDOWNLIST);
    EXPECT_FALSE(Style(Hwnd(*form->lstItems)) & LBS_SORT);
    EXPECT_TRUE(Style(Hwnd(*form->tvwFeatures)) & TVS_CHECKBOXES);
    // The form's tool tips (the tree has a tip window of its own): the button
    // with a tip is covered whether enabled or not, so it has two tools.
    std::vector<HWND> tips;
    for (HWND hwnd : WindowsOfThisThread()) {
        wchar_t cls[64] = {};
        ::GetClassNameW(hwnd, cls, 64);
        TTTOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.hwnd = window;
        tool.uId = reinterpret_cast<UINT_PTR>(Hwnd(*form->cmdPicture));
        if (_wcsicmp(cls, TOOLTIPS_CLASSW) == 0 &&
            ::SendMessageW(hwnd, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)))
            tips.push_back(hwnd);
    }
    ASSERT_EQ(tips.size(), 1u);
    EXPECT_EQ(::SendMessageW(tips[0], TTM_GETTOOLCOUNT, 0, 0), 2);
    // A fixed dialog: no minimise or maximise box, no sizing border.
    EXPECT_FALSE(Style(window) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));

    // Verdana 8.25 pt at the screen's DPI, bold where asked.
    LOGFONTW font{}, bold{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(Hwnd(*form->cmdOK), WM_GETFONT, 0, 0)),
                 sizeof font, &font);
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(Hwnd(*form->cmdCancel), WM_GETFONT, 0, 0)),
                 sizeof bold, &bold);
    EXPECT_EQ(std::wstring(font.lfFaceName), L"Verdana");
    EXPECT_EQ(font.lfHeight, win32::FontHeightForPoints(8.25, dpi));
    EXPECT_EQ(font.lfWeight, FW_NORMAL);
    EXPECT_EQ(bold.lfWeight, FW_BOLD);
    form->Unload();
}

TEST_F(Win32ShellTest, ZOrderIsTheTabOrderAndOnlyTabStopsAreReachedByTab) {
    auto form = LoadedSample();
    HWND window = shell.WindowOf(*form);
    std::vector<HWND> zOrder;
    for (HWND c = ::GetWindow(window, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
        zOrder.push_back(c);
    std::vector<HWND> expected;
    for (ui::Control* control : form->TabOrder()) expected.push_back(Hwnd(*control));
    EXPECT_EQ(zOrder, expected);

    EXPECT_FALSE(Style(Hwnd(*form->lblName)) & WS_TABSTOP);
    EXPECT_FALSE(Style(Hwnd(*form->fraOptions)) & WS_TABSTOP);
    EXPECT_TRUE(Style(Hwnd(*form->txtName)) & WS_TABSTOP);
    // The option group starts at its first button and is entered at one button.
    EXPECT_TRUE(Style(Hwnd(*form->optA)) & WS_GROUP);
    EXPECT_FALSE(Style(Hwnd(*form->optB)) & WS_GROUP);
    EXPECT_TRUE(Style(Hwnd(*form->optA)) & WS_TABSTOP);
    EXPECT_FALSE(Style(Hwnd(*form->optB)) & WS_TABSTOP);

    // Tab walks the tab stops in the form's order.
    std::vector<HWND> walk;
    HWND at = Hwnd(*form->optA);
    for (int i = 0; i < 11; ++i) {
        walk.push_back(at);
        at = ::GetNextDlgTabItem(window, at, FALSE);
    }
    const std::vector<HWND> tabStops = {
        Hwnd(*form->optA),    Hwnd(*form->txtName),     Hwnd(*form->txtPassword),
        Hwnd(*form->chkFlag), Hwnd(*form->cmbKind),     Hwnd(*form->lstItems),
        Hwnd(*form->txtLog),  Hwnd(*form->tvwFeatures), Hwnd(*form->cmdPicture),
        Hwnd(*form->cmdOK),   Hwnd(*form->cmdCancel)};
    EXPECT_EQ(walk, tabStops);

    // Choosing B moves the group's tab stop to it.
    form->optB->SetValue(true);
    EXPECT_FALSE(Style(Hwnd(*form->optA)) & WS_TABSTOP);
    EXPECT_TRUE(Style(Hwnd(*form->optB)) & WS_TABSTOP);
    form->Unload();
}

TEST_F(Win32ShellTest, ButtonsReportEachClickOnceAndDisabledOnesNone) {
    auto form = ShownSample();
    ::SendMessageW(Hwnd(*form->cmdOK), BM_CLICK, 0, 0);
    EXPECT_EQ(form->okClicks, 1);
    ::SendMessageW(Hwnd(*form->cmdPicture), BM_CLICK, 0, 0);
    EXPECT_EQ(form->pictureClicks, 1);

    form->cmdOK->SetEnabled(false);
    EXPECT_FALSE(::IsWindowEnabled(Hwnd(*form->cmdOK)));
    ::SendMessageW(Hwnd(*form->cmdOK), BM_CLICK, 0, 0);
    EXPECT_EQ(form->okClicks, 1);
    form->cmdOK->SetEnabled(true);
    EXPECT_TRUE(::IsWindowEnabled(Hwnd(*form->cmdOK)));

    form->SetCaption(L"Renamed window");
    EXPECT_EQ(WindowText(shell.WindowOf(*form)), L"Renamed window");
    form->cmdOK->SetCaption(L"&Apply");
    EXPECT_EQ(WindowText(Hwnd(*form->cmdOK)), L"&Apply");
    form->cmdOK->SetVisible(false);
    EXPECT_FALSE(::IsWindowVisible(Hwnd(*form->cmdOK)));
    form->Unload();
}

TEST_F(Win32ShellTest, CheckBoxAndOptionButtonsShowTheModelsState) {
    auto form = ShownSample();
    HWND flag = Hwnd(*form->chkFlag);
    form->chkFlag->SetValue(1);
    EXPECT_EQ(::SendMessageW(flag, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(form->flagClicks, 1);
    ::SendMessageW(flag, BM_CLICK, 0, 0);  // the user unticks it
    EXPECT_EQ(form->chkFlag->Value(), 0);
    EXPECT_EQ(::SendMessageW(flag, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(form->flagClicks, 2);

    form->optB->SetValue(true);
    EXPECT_EQ(::SendMessageW(Hwnd(*form->optB), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(::SendMessageW(Hwnd(*form->optA), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    ::SendMessageW(Hwnd(*form->optA), BM_CLICK, 0, 0);
    EXPECT_TRUE(form->optA->Value());
    EXPECT_FALSE(form->optB->Value());
    EXPECT_EQ(::SendMessageW(Hwnd(*form->optA), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(::SendMessageW(Hwnd(*form->optB), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(form->optAClicks, 1);

    // A disabled frame greys what it holds; enabling it again restores them.
    form->fraOptions->SetEnabled(false);
    EXPECT_FALSE(::IsWindowEnabled(Hwnd(*form->optA)));
    EXPECT_FALSE(::IsWindowEnabled(Hwnd(*form->optB)));
    form->optB->SetEnabled(false);
    form->fraOptions->SetEnabled(true);
    EXPECT_TRUE(::IsWindowEnabled(Hwnd(*form->optA)));
    EXPECT_FALSE(::IsWindowEnabled(Hwnd(*form->optB)));
    form->fraOptions->SetVisible(false);
    EXPECT_FALSE(::IsWindowVisible(Hwnd(*form->optA)));
    form->Unload();
}

TEST_F(Win32ShellTest, TextBoxesCarryTextBothWaysWithoutEchoes) {
    auto form = ShownSample();
    HWND name = Hwnd(*form->txtName);
    form->txtName->SetText(L"abc");
    EXPECT_EQ(WindowText(name), L"abc");
    EXPECT_EQ(form->nameChanges, 1);
    ::SetWindowTextW(name, L"xyz");  // as typing does: EN_CHANGE
    EXPECT_EQ(form->txtName->Text(), L"xyz");
    EXPECT_EQ(form->nameChanges, 2);

    ::SendMessageW(name, EM_SETSEL, 1, 3);
    EXPECT_EQ(form->txtName->SelStart(), 1);
    EXPECT_EQ(form->txtName->SelLength(), 2);
    form->txtName->ReplaceSelection(L"Q");
    EXPECT_EQ(WindowText(name), L"xQ");
    DWORD start = 0, end = 0;
    ::SendMessageW(name, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 2u);
    EXPECT_EQ(end, 2u);
    form->txtName->SetSelection(0, 1);
    ::SendMessageW(name, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 1u);

    // Colours: the plain RGB of the model, on a brush the window owns.
    HWND log = Hwnd(*form->txtLog);
    HDC dc = ::GetDC(log);
    auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(shell.WindowOf(*form), WM_CTLCOLOREDIT,
                                                         reinterpret_cast<WPARAM>(dc),
                                                         reinterpret_cast<LPARAM>(log)));
    LOGBRUSH info{};
    ASSERT_TRUE(::GetObjectW(brush, sizeof info, &info));
    EXPECT_EQ(info.lbColor, RGB(0, 0, 0));
    EXPECT_EQ(::GetTextColor(dc), RGB(224, 224, 224));
    // System colours by index.
    form->txtName->SetBackColor(ui::kColorInactiveBorder);
    brush = reinterpret_cast<HBRUSH>(::SendMessageW(shell.WindowOf(*form), WM_CTLCOLOREDIT,
                                                    reinterpret_cast<WPARAM>(dc),
                                                    reinterpret_cast<LPARAM>(name)));
    ASSERT_TRUE(::GetObjectW(brush, sizeof info, &info));
    EXPECT_EQ(info.lbColor, ::GetSysColor(COLOR_INACTIVEBORDER));
    ::ReleaseDC(log, dc);
    form->Unload();
}

TEST_F(Win32ShellTest, ListsFollowTheModelAndReportTheUsersChoice) {
    auto form = ShownSample();
    HWND combo = Hwnd(*form->cmbKind);
    HWND list = Hwnd(*form->lstItems);
    for (const wchar_t* item : {L"zeta", L"alpha", L"mid"}) {
        form->cmbKind->AddItem(item);
        form->lstItems->AddItem(item);
    }
    EXPECT_EQ(::SendMessageW(combo, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 3);
    wchar_t text[32] = {};
    ::SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(std::wstring(text), L"zeta");  // never sorted

    form->cmbKind->SetListIndex(1);
    EXPECT_EQ(::SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(form->kindClicks, 1);
    ::SendMessageW(combo, CB_SETCURSEL, 2, 0);
    ::SendMessageW(shell.WindowOf(*form), WM_COMMAND,
                   MAKEWPARAM(::GetDlgCtrlID(combo), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
    EXPECT_EQ(form->cmbKind->ListIndex(), 2);
    EXPECT_EQ(form->kindClicks, 2);

    ::SendMessageW(list, LB_SETCURSEL, 0, 0);
    ::SendMessageW(shell.WindowOf(*form), WM_COMMAND,
                   MAKEWPARAM(::GetDlgCtrlID(list), LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(form->lstItems->ListIndex(), 0);
    EXPECT_EQ(form->itemClicks, 1);

    form->lstItems->Clear();
    EXPECT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 0);
    form->Unload();
}

TEST_F(Win32ShellTest, TreeShowsChecksFromCodeAndHandsTheUsersToggleToTheModel) {
    auto form = ShownSample();
    HWND tree = Hwnd(*form->tvwFeatures);
    form->tvwFeatures->AddRoot(L"web", L"Web server");
    form->tvwFeatures->AddChild(L"web", L"ftp", L"FTP");
    form->tvwFeatures->AddRoot(L"dns", L"DNS server");
    EXPECT_EQ(::SendMessageW(tree, TVM_GETCOUNT, 0, 0), 3);

    auto stateOf = [tree](HTREEITEM item) {
        return (::SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item),
                               TVIS_STATEIMAGEMASK) &
                TVIS_STATEIMAGEMASK) >>
               12;
    };
    auto root = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(stateOf(root), 1);
    form->tvwFeatures->FindByKey(L"web")->SetChecked(true);
    EXPECT_EQ(stateOf(root), 2);
    EXPECT_EQ(form->nodeChecks, 0);

    // Space on the selected item: the model toggles and raises NodeCheck once.
    ::SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(root));
    ::SetFocus(tree);
    ::SendMessageW(tree, WM_KEYDOWN, VK_SPACE, 0);
    ::SendMessageW(tree, WM_KEYUP, VK_SPACE, 0xC0000000);
    shell.DoEvents();
    EXPECT_FALSE(form->tvwFeatures->FindByKey(L"web")->Checked());
    EXPECT_EQ(form->nodeChecks, 1);
    EXPECT_EQ(stateOf(root), 1);

    // A mouse click on the item's box does the same.
    RECT text{};
    std::memcpy(&text, &root, sizeof root);  // TVM_GETITEMRECT takes the item in the rectangle
    ASSERT_TRUE(::SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&text)));
    POINT box{text.left - 8, (text.top + text.bottom) / 2};
    ::ClientToScreen(tree, &box);
    ::SetForegroundWindow(shell.WindowOf(*form));
    ::SetCursorPos(box.x, box.y);
    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(2, clicks, sizeof(INPUT));
    for (int i = 0; i < 20 && form->nodeChecks < 2; ++i) {
        ::Sleep(25);
        shell.DoEvents();
    }
    EXPECT_TRUE(form->tvwFeatures->FindByKey(L"web")->Checked());
    EXPECT_EQ(form->nodeChecks, 2);
    EXPECT_EQ(stateOf(root), 2);
    form->tvwFeatures->FindByKey(L"web")->SetChecked(false);

    // A disabled tree refuses: the box keeps the model's state.
    form->tvwFeatures->SetEnabled(false);
    ::PostMessageW(shell.WindowOf(*form), win32::kMsgTreeToggle,
                   static_cast<WPARAM>(::GetDlgCtrlID(tree)), reinterpret_cast<LPARAM>(root));
    shell.DoEvents();
    EXPECT_FALSE(form->tvwFeatures->FindByKey(L"web")->Checked());
    EXPECT_EQ(stateOf(root), 1);
    EXPECT_EQ(form->nodeChecks, 2);

    form->tvwFeatures->Clear();
    EXPECT_EQ(::SendMessageW(tree, TVM_GETCOUNT, 0, 0), 0);
    form->Unload();
}

TEST_F(Win32ShellTest, EnterPressesTheDefaultButtonAndEscapeTheCancelButton) {
    auto form = ShownSample();
    HWND name = Hwnd(*form->txtName);
    form->txtName->SetFocus();
    EXPECT_EQ(::GetFocus(), name);
    ::PostMessageW(name, WM_KEYDOWN, VK_RETURN, 1);
    shell.DoEvents();
    EXPECT_EQ(form->okClicks, 1);
    ::PostMessageW(name, WM_KEYDOWN, VK_ESCAPE, 1);
    shell.DoEvents();
    EXPECT_EQ(form->cancelClicks, 1);
    // Enter on a focused button presses that one.
    form->cmdPicture->SetFocus();
    ::PostMessageW(Hwnd(*form->cmdPicture), WM_KEYDOWN, VK_RETURN, 1);
    shell.DoEvents();
    EXPECT_EQ(form->pictureClicks, 1);
    EXPECT_EQ(form->okClicks, 1);
    // Access keys: Alt+P presses the graphical button, Alt+F ticks the box.
    ::PostMessageW(name, WM_SYSCHAR, L'p', 1 << 29);
    shell.DoEvents();
    EXPECT_EQ(form->pictureClicks, 2);
    ::PostMessageW(name, WM_SYSCHAR, L'f', 1 << 29);
    shell.DoEvents();
    EXPECT_EQ(form->flagClicks, 1);
    EXPECT_TRUE(form->chkFlag->Checked());
    // In the multi-line box, Tab moves on and Escape still cancels.
    HWND log = Hwnd(*form->txtLog);
    form->txtLog->SetFocus();
    ::PostMessageW(log, WM_KEYDOWN, VK_TAB, 1);
    ::PostMessageW(log, WM_CHAR, L'\t', 1);
    shell.DoEvents();
    EXPECT_EQ(::GetFocus(), Hwnd(*form->tvwFeatures));
    EXPECT_EQ(WindowText(log), L"");
    form->txtLog->SetFocus();
    ::PostMessageW(log, WM_KEYDOWN, VK_ESCAPE, 1);
    ::PostMessageW(log, WM_CHAR, 0x1B, 1);
    shell.DoEvents();
    EXPECT_EQ(form->cancelClicks, 2);
    EXPECT_TRUE(form->IsLoaded());
    // The user's focus reaches the model.
    ::SetFocus(Hwnd(*form->chkFlag));
    ::PostMessageW(Hwnd(*form->chkFlag), WM_NULL, 0, 0);
    shell.DoEvents();
    EXPECT_EQ(form->FocusedControl(), form->chkFlag);
    form->Unload();
}

TEST_F(Win32ShellTest, ModalFormReturnsWhenHiddenWithTheOthersDisabledMeanwhile) {
    auto owner = ShownSample();
    HWND ownerWindow = shell.WindowOf(*owner);
    auto modal = ui::NewForm<SampleForm>(shell);
    bool ownerWasDisabled = false;
    modal->onOK = [&] {
        ownerWasDisabled = !::IsWindowEnabled(ownerWindow);
        modal->Hide();
    };
    modal->Load();
    ::PostMessageW(Hwnd(*modal->cmdOK), BM_CLICK, 0, 0);
    modal->ShowModal();
    EXPECT_EQ(modal->okClicks, 1);
    EXPECT_TRUE(ownerWasDisabled);
    EXPECT_TRUE(::IsWindowEnabled(ownerWindow));
    EXPECT_TRUE(modal->IsLoaded());
    EXPECT_FALSE(modal->IsVisible());
    EXPECT_FALSE(::IsWindowVisible(shell.WindowOf(*modal)));

    // Unloading ends a modal form too.
    modal->onOK = [&] { modal->Unload(); };
    ::PostMessageW(Hwnd(*modal->cmdOK), BM_CLICK, 0, 0);
    modal->ShowModal();
    EXPECT_FALSE(modal->IsLoaded());
    EXPECT_EQ(modal->unloads, 1);
    EXPECT_TRUE(::IsWindowEnabled(ownerWindow));
    owner->Unload();
}

TEST_F(Win32ShellTest, TheLoopEndsWhenTheLastFormIsUnloadedNotBefore) {
    auto first = ShownSample();
    auto second = ShownSample();
    EXPECT_EQ(first->activations, 1);
    EXPECT_EQ(shell.LoadedForms().size(), 2u);
    HWND firstWindow = shell.WindowOf(*first);
    HWND secondWindow = shell.WindowOf(*second);
    // Coming back from another form of the application activates; a message
    // box closing over the form does not.
    ::SetActiveWindow(firstWindow);
    shell.DoEvents();
    EXPECT_EQ(first->activations, 2);
    {
        MessageBoxAnswerer user(IDOK);
        shell.MsgBox(L"Note", ui::kMbOk, L"");
    }
    shell.DoEvents();
    EXPECT_EQ(first->activations, 2);
    // The first unloads itself from its own button; the second is closed by
    // its close box once the first has gone.
    first->onOK = [&] { first->Unload(); };
    first->onUnload = [&] { ::PostMessageW(secondWindow, WM_CLOSE, 0, 0); };
    ::PostMessageW(Hwnd(*first->cmdOK), BM_CLICK, 0, 0);
    EXPECT_EQ(shell.Run(), 0);
    EXPECT_FALSE(first->IsLoaded());
    EXPECT_FALSE(second->IsLoaded());
    EXPECT_EQ(first->unloads, 1);
    EXPECT_EQ(second->unloads, 1);
    EXPECT_FALSE(::IsWindow(firstWindow));
    EXPECT_FALSE(::IsWindow(secondWindow));
    EXPECT_TRUE(shell.LoadedForms().empty());
    // No form: Run returns at once.
    EXPECT_EQ(shell.Run(), 0);
}

TEST_F(Win32ShellTest, MessageBoxesCarryTextStyleAndTitleAndReturnTheAnswer) {
    auto form = ShownSample();
    {
        MessageBoxAnswerer user(IDNO);
        EXPECT_EQ(shell.MsgBox(L"Restart now?", ui::kMbYesNo, L""), ui::kIdNo);
        EXPECT_EQ(user.title, L"Quillon");
        EXPECT_EQ(user.text, L"Restart now?");
    }
    {
        MessageBoxAnswerer user(IDYES);
        EXPECT_EQ(shell.MsgBox(L"Again?", ui::kMbYesNo, L"Computer Name"), ui::kIdYes);
        EXPECT_EQ(user.title, L"Computer Name");
    }
    {
        // A failing handler becomes a critical message box; the window stays.
        form->onOK = [] { throw std::runtime_error("disk on fire"); };
        MessageBoxAnswerer user(IDOK);
        ::SendMessageW(Hwnd(*form->cmdOK), BM_CLICK, 0, 0);
        EXPECT_NE(user.text.find(L"disk on fire"), std::wstring::npos);
    }
    EXPECT_TRUE(form->IsLoaded());
    EXPECT_TRUE(::IsWindowEnabled(shell.WindowOf(*form)));
    form->Unload();
}

TEST_F(Win32ShellTest, CloseBoxUnloadsThroughTheFormAndCodeAfterwardsIsHarmless) {
    auto form = ShownSample();
    HWND window = shell.WindowOf(*form);
    form->txtName->SetFocus();
    const int changes = form->nameChanges;
    const int activations = form->activations;
    ::SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_EQ(form->unloads, 1);
    // Nothing of the form ran while its windows went away.
    EXPECT_EQ(form->nameChanges, changes);
    EXPECT_EQ(form->activations, activations);
    shell.DoEvents();
    EXPECT_FALSE(::IsWindow(window));
    // The model lives on without its windows.
    form->txtName->SetText(L"after");
    form->chkFlag->SetValue(1);
    form->tvwFeatures->AddRoot(L"k", L"node");
    EXPECT_EQ(form->txtName->SelStart(), 0);
    // And can be loaded again, showing its state.
    form->Show();
    EXPECT_EQ(WindowText(Hwnd(*form->txtName)), L"after");
    EXPECT_EQ(::SendMessageW(Hwnd(*form->chkFlag), BM_GETCHECK, 0, 0), BST_CHECKED);
    form->Unload();
}

TEST_F(Win32ShellTest, CreatingAndDestroyingFormsLeaksNoGuiObjects) {
    // Showing costs Wine seconds per window without a window manager, so most
    // rounds only load: creation and destruction are the same.
    int round = 0;
    auto cycle = [this, &round] {
        auto form = ui::NewForm<SampleForm>(shell);
        if (round++ % 10 == 0)
            form->Show();
        else
            form->Load();
        form->txtLog->SetBackColor(ui::Rgb(10, 20, 30));
        form->tvwFeatures->AddRoot(L"a", L"A");
        shell.DoEvents();
        form->Unload();
        shell.DoEvents();
    };
    cycle();
    cycle();
    const int gdiBefore = LiveGdiObjects();
    const int userBefore = LiveUserObjects();
    // The probe itself must see objects come and go.
    {
        win32::UniqueBrush probe(::CreateSolidBrush(RGB(1, 2, 3)));
        EXPECT_EQ(LiveGdiObjects(), gdiBefore + 1);
    }
    for (int i = 0; i < 50; ++i) cycle();
    EXPECT_LE(LiveGdiObjects(), gdiBefore + 2);
    EXPECT_LE(LiveUserObjects(), userBefore + 2);
}

TEST_F(Win32ShellTest, IconsOfFormsAndButtonsGoWithTheirForm) {
    // The system's own icons (user32 holds IDI_APPLICATION and the others)
    // stand in for the program's, so that every icon path runs.
    win32::Win32Shell iconShell(::GetModuleHandleW(nullptr), ::GetModuleHandleW(L"user32.dll"));
    const int application = 32512;
    const int information = 32516;
    // Shown now and then, so that the greyed copy of the button's icon (made
    // when first drawn) is made and freed as well.
    auto cycle = [&iconShell, application, information](bool show, int* loadedGdi) {
        auto form = ui::NewForm<SampleForm>(iconShell);
        form->iconId = information;
        form->cmdPicture->pictureId = application;
        form->picLogo->pictureId = application;
        form->cmdPicture->SetEnabled(false);
        if (show) {
            form->Show();
            ::RedrawWindow(iconShell.WindowOf(*form), nullptr, nullptr,
                           RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        } else {
            form->Load();
        }
        if (loadedGdi) *loadedGdi = LiveGdiObjects();
        form->Unload();
        iconShell.DoEvents();
    };
    cycle(true, nullptr);
    const int before = LiveGdiObjects();
    int whileLoaded = 0;
    cycle(true, &whileLoaded);
    EXPECT_GT(whileLoaded, before);
    for (int i = 0; i < 20; ++i) cycle(i % 5 == 0, nullptr);
    EXPECT_LE(LiveGdiObjects(), before + 2);
}

TEST_F(Win32ShellTest, AnotherMonitorsResolutionRescalesTheControlsAndFonts) {
    auto form = LoadedSample();
    HWND window = shell.WindowOf(*form);
    const int newDpi = dpi * 2;
    RECT suggested{10, 10, 10 + 2 * Px(6000), 10 + 2 * Px(4800)};
    ::SendMessageW(window, win32::kWmDpiChanged, MAKEWPARAM(newDpi, newDpi),
                   reinterpret_cast<LPARAM>(&suggested));
    const RECT name = ChildRect(Hwnd(*form->txtName));
    EXPECT_NEAR(name.left, ui::TwipsToPixels(4000, newDpi), 1);
    EXPECT_NEAR(name.top, ui::TwipsToPixels(120, newDpi), 1);
    EXPECT_NEAR(name.right - name.left, ui::TwipsToPixels(1880, newDpi), 1);
    const RECT line = ChildRect(Hwnd(*form->linSeparator));
    EXPECT_EQ(line.bottom - line.top, 2);
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(Hwnd(*form->cmdOK), WM_GETFONT, 0, 0)),
                 sizeof font, &font);
    EXPECT_EQ(font.lfHeight, win32::FontHeightForPoints(8.25, newDpi));
    RECT frame{};
    ::GetWindowRect(window, &frame);
    EXPECT_EQ(frame.left, suggested.left);
    EXPECT_EQ(frame.right - frame.left, suggested.right - suggested.left);
    form->Unload();
}

}  // namespace
