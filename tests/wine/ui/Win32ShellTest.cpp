// The Win32 layer on real windows where the user meets it: tab order, keyboard, what the model
// and the windows tell each other beyond what the dialogs' own smoke tests see, modal forms,
// message boxes and the loop's end; the system's letter case. (How each window looks, at
// 96 and 144 DPI, is the layout check's.)
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <thread>

#include "sysaccess/TextCase.h"
#include "ui/Controls.h"
#include "ui/Form.h"
#include "win32/FormWindow.h"
#include "win32/Win32Peers.h"
#include "win32/Win32Shell.h"

namespace {

// A form with every kind of control; every event it raises is counted under
// the control's name ("cmdOK", "Load", ...).
class SampleForm : public ui::Form {
  public:
    explicit SampleForm(ui::Shell& shell) : Form(shell, L"frmSample") {
        clientWidth = 6000, clientHeight = 4800, borderStyle = ui::BorderStyle::FixedDialog;
        Place(txtName, L"", {4000, 120, 1880, 315});
        Place(fraOptions, L"&Options", {120, 120, 2800, 1300});
        Place(optA, L"Choice &A", {240, 400, 2400, 300}), optA->container = fraOptions;
        Place(optB, L"Choice &B", {240, 800, 2400, 300}), optB->container = fraOptions;
        Place(chkFlag, L"&Flag", {3100, 950, 2000, 300});
        Place(txtLog, L"", {120, 1600, 2800, 1000}), txtLog->multiLine = txtLog->scrollBars = true;
        Place(cmbKind, L"", {3100, 1600, 2780, 315});
        Place(lstItems, L"", {3100, 2000, 2780, 900});
        Place(tvwFeatures, L"", {120, 2700, 2800, 1500});
        Place(cmdPicture, L"&Picture", {3100, 3000, 1575, 735}), cmdPicture->pictureId = 1;
        Place(cmdOK, L"OK", {3100, 4300, 1215, 375}), cmdOK->isDefault = true;
        Place(cmdCancel, L"Cancel", {4560, 4300, 1215, 375}), cmdCancel->isCancel = true;
        for (auto* b : {cmdPicture, cmdOK, cmdCancel}) b->Click = Counts(b->Name());
        chkFlag->Click = Counts(L"chkFlag"), cmbKind->Click = Counts(L"cmbKind");
        lstItems->Click = Counts(L"lstItems");
        tvwFeatures->NodeCheck = [this](ui::TreeNode&) { ++events[L"tvwFeatures"]; };
        SetTabOrder(  // deliberately not the creation order
            {fraOptions, optA, optB, txtName, chkFlag, cmbKind, lstItems, txtLog, tvwFeatures,
             cmdPicture, cmdOK, cmdCancel});
    }

    void Form_Load() override { ++events[L"Load"]; }
    void Form_Activate() override { ++events[L"Activate"]; }
    void Form_Unload() override { onUnload ? onUnload() : void(); }

    ui::TextBox* txtName = &Add<ui::TextBox>(L"txtName");
    ui::Frame* fraOptions = &Add<ui::Frame>(L"fraOptions");
    ui::OptionButton* optA = &Add<ui::OptionButton>(L"optA");
    ui::OptionButton* optB = &Add<ui::OptionButton>(L"optB");
    ui::CheckBox* chkFlag = &Add<ui::CheckBox>(L"chkFlag");
    ui::TextBox* txtLog = &Add<ui::TextBox>(L"txtLog");
    ui::ComboBox* cmbKind = &Add<ui::ComboBox>(L"cmbKind");
    ui::ListBox* lstItems = &Add<ui::ListBox>(L"lstItems");
    ui::TreeView* tvwFeatures = &Add<ui::TreeView>(L"tvwFeatures");
    ui::Button* cmdPicture = &Add<ui::Button>(L"cmdPicture");
    ui::Button* cmdOK = &Add<ui::Button>(L"cmdOK");
    ui::Button* cmdCancel = &Add<ui::Button>(L"cmdCancel");

    std::map<std::wstring, int> events;
    std::wstring Events() const {  // "Load1 cmdOK2 ..."
        std::wstring all;
        for (const auto& [name, count] : events) all += name + std::to_wstring(count) + L" ";
        return all;
    }
    std::function<void()> onUnload;

  private:
    template <typename C>
    void Place(C* control, const wchar_t* caption, ui::Bounds bounds) {
        control->SetCaption(caption), control->bounds = bounds;
    }
    std::function<void()> Counts(const std::wstring& name) {
        return [this, name] { ++events[name]; };
    }
};

std::wstring Text(HWND hwnd) {
    wchar_t buffer[256] = {};
    ::GetWindowTextW(hwnd, buffer, 256);
    return buffer;
}

// Answers the next message box from another thread, as the user would; "title|text" of the box.
struct MessageBoxAnswerer {
    MessageBoxAnswerer(int button, std::wstring& shown)
        : thread([button, &shown] {
              HWND box = nullptr;
              for (int i = 0; i < 400 && !(box && ::IsWindowVisible(box)); ++i)
                  ::Sleep(25), box = ::FindWindowW(L"#32770", nullptr);
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
    std::shared_ptr<SampleForm> Shown() {
        auto form = ui::NewForm<SampleForm>(shell);
        form->Show(), shell.DoEvents();
        return form;
    }
    HWND Hwnd(ui::Control& c) { return shell.RecordOf(c.Owner())->PeerOf(c)->Hwnd(); }
    LRESULT Send(ui::Control& c, UINT message, WPARAM w = 0, LPARAM l = 0) {
        return ::SendMessageW(Hwnd(c), message, w, l);
    }
    win32::Win32Shell shell;
};

TEST_F(Win32ShellTest, TheKeyboardReachesEveryControlInTheFormsOrder) {
    auto form = Shown();
    HWND window = shell.WindowOf(*form);
    std::vector<HWND> zOrder, tabOrder, walk;  // the windows' order is the tab order
    for (HWND c = ::GetWindow(window, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
        zOrder.push_back(c);
    for (ui::Control* c : form->TabOrder()) tabOrder.push_back(Hwnd(*c));
    EXPECT_EQ(zOrder, tabOrder);
    for (HWND at = Hwnd(*form->optA); walk.size() < 11; at = ::GetNextDlgTabItem(window, at, FALSE))
        walk.push_back(at);
    EXPECT_EQ(walk.back(), walk.front());  // ten tab stops, then the first again
    form->optB->SetValue(true);            // the group's tab stop moves to the chosen button
    EXPECT_EQ(::GetWindowLongPtrW(Hwnd(*form->optB), GWL_STYLE) & WS_TABSTOP, WS_TABSTOP);

    auto press = [&](ui::Control& c, UINT message, WPARAM key, LPARAM flags = 1) {
        c.SetFocus(), ::PostMessageW(Hwnd(c), message, key, flags), shell.DoEvents();
    };
    press(*form->txtName, WM_KEYDOWN, VK_RETURN);      // the default button
    press(*form->txtName, WM_KEYDOWN, VK_ESCAPE);      // the cancel button
    press(*form->cmdPicture, WM_KEYDOWN, VK_RETURN);   // a focused button itself
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

    for (const wchar_t* item : {L"zeta", L"alpha"})  // the arrow keys in lists in the model's order
        form->cmbKind->AddItem(item), form->lstItems->AddItem(item);
    wchar_t first[16] = {}, chosen[16] = {};
    form->cmbKind->SetListIndex(1), form->lstItems->SetListIndex(0);
    Send(*form->lstItems, LB_GETTEXT, 0, LPARAM(first));
    Send(*form->cmbKind, CB_GETLBTEXT, Send(*form->cmbKind, CB_GETCURSEL), LPARAM(chosen));
    EXPECT_EQ(std::wstring(first) + chosen, L"zetaalpha");
    Send(*form->cmbKind, WM_KEYDOWN, VK_UP), Send(*form->lstItems, WM_KEYDOWN, VK_DOWN);
    EXPECT_EQ(std::make_pair(form->cmbKind->ListIndex(), form->lstItems->ListIndex()),
              std::make_pair(0, 1));
    form->lstItems->Clear();
    EXPECT_EQ(Send(*form->lstItems, LB_GETCOUNT), 0);

    HWND tree = Hwnd(*form->tvwFeatures);  // a greyed tree undoes the user's toggle
    ui::TreeNode* web = form->tvwFeatures->AddRoot(L"web", L"Web server");
    auto root = HTREEITEM(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    web->SetChecked(true), form->tvwFeatures->SetEnabled(false);
    TreeView_SetCheckState(tree, root, FALSE);  // as the control does before it tells
    ::PostMessageW(window, win32::kMsgTreeToggle, ::GetDlgCtrlID(tree), LPARAM(root));
    shell.DoEvents();
    EXPECT_TRUE(web->Checked() && TreeView_GetCheckState(tree, root) == 1);
    EXPECT_EQ(form->Events(),
              L"Activate1 Load1 chkFlag1 cmbKind2 cmdCancel2 cmdOK1 cmdPicture1 lstItems2 ");
    form->Unload();
}

// What the dialogs' own end-to-end smoke tests do not see: frames, the log's appended text.
TEST_F(Win32ShellTest, FramesAndSelectionsFollowTheModelAndTheUser) {
    auto form = Shown();
    form->optB->SetEnabled(false), form->fraOptions->SetEnabled(false);  // greys what it holds
    EXPECT_FALSE(::IsWindowEnabled(Hwnd(*form->optA)));
    form->fraOptions->SetEnabled(true);  // and gives back their own state
    EXPECT_TRUE(::IsWindowEnabled(Hwnd(*form->optA)) && !::IsWindowEnabled(Hwnd(*form->optB)));
    form->fraOptions->SetVisible(false);  // and hides what it holds
    EXPECT_FALSE(::IsWindowVisible(Hwnd(*form->optA)));
    ::SetWindowTextW(Hwnd(*form->txtName), L"xyz"), Send(*form->txtName, EM_SETSEL, 1, 3);  // typed
    EXPECT_EQ(std::make_pair(form->txtName->SelStart(), form->txtName->SelLength()),
              std::make_pair(1, 2));
    form->txtName->ReplaceSelection(L"Q");
    DWORD start = 0, end = 0;
    Send(*form->txtName, EM_GETSEL, WPARAM(&start), LPARAM(&end));
    EXPECT_EQ(Text(Hwnd(*form->txtName)) + L"@" + std::to_wstring(start) + std::to_wstring(end),
              L"xQ@22");
    form->Unload();
}

TEST_F(Win32ShellTest, ModalFormsMessageBoxesAndTheEndOfTheLoop) {
    auto owner = Shown();
    auto modal = ui::NewForm<SampleForm>(shell);
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
    std::wstring shown;  // No and the program's own title: the real program's, end to end
    {
        MessageBoxAnswerer user(IDYES, shown);
        EXPECT_EQ(shell.MsgBox(L"Restart now?", ui::kMbYesNo, L"Computer Name"), ui::kIdYes);
    }
    EXPECT_EQ(shown, L"Computer Name|Restart now?");
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

TEST(LetterCase, TheSystemsMappingAsTheNativeStandIn) {
    for (auto [lower, upper] : {std::pair{L"é", L"É"}, {L"ж", L"Ж"}, {L"σ", L"Σ"}}) {
        EXPECT_EQ(sysaccess::ToUpper(lower), upper);
        EXPECT_EQ(sysaccess::ToLower(upper), lower);
        EXPECT_TRUE(sysaccess::EqualsIgnoreCase(lower, upper));
    }
    EXPECT_EQ(sysaccess::ToUpper(L"ςıſ"), L"ςıſ");  // their capitals lower to other letters
}

}  // namespace
