// The control model's event rules: each row plays code or the user on a form of one control of
// each kind, and sees events, what watched controls' windows are told, messages and state.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "sysaccess/VbError.h"
#include "tests/fakes/TestShell.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace {

struct Probe : ui::Form, ui::ControlPeer {
    explicit Probe(ui::Shell& shell) : ui::Form(shell, L"frmProbe") {
        optA0->container = optA1->container = cmd->container = fra;
        cmb->AddItem(L"one"), cmb->AddItem(L"two");
        for (auto* o : {optA0, optA1, optB}) o->Click = Logs(o->Name() + L".Click");
        chk->Click = Logs(L"chk.Click"), txt->Changed = Logs(L"txt.Change");
        cmb->Click = Logs(L"cmb.Click"), cmd->Click = Logs(L"cmd.Click");
        tvw->NodeCheck = [this](ui::TreeNode& n) { log += L"tvw.NodeCheck(" + n.Key() + L") "; };
    }
    std::function<void()> Logs(std::wstring e) {
        return [this, e] { log += e + L" "; };
    }
    void Update(ui::Control& c, ui::Change what) override {
        const wchar_t* names[] = {L"Caption", L"Text",  L"Enabled",   L"Visible",
                                  L"Value",   L"Items", L"Selection", L"Colors",
                                  L"Focus",   L"Nodes", L"Bounds"};
        log += c.Name() + L":" + names[static_cast<int>(what)] + L" ";
    }
    ui::Frame* fra = &Add<ui::Frame>(L"fra");
    ui::OptionButton* optA0 = &Add<ui::OptionButton>(L"optA0");
    ui::OptionButton* optA1 = &Add<ui::OptionButton>(L"optA1");
    ui::OptionButton* optB = &Add<ui::OptionButton>(L"optB");
    ui::CheckBox* chk = &Add<ui::CheckBox>(L"chk");
    ui::TextBox* txt = &Add<ui::TextBox>(L"txt");
    ui::ComboBox* cmb = &Add<ui::ComboBox>(L"cmb");
    ui::TreeView* tvw = &Add<ui::TreeView>(L"tvw");
    ui::Button* cmd = &Add<ui::Button>(L"cmd");
    std::wstring log;
};

std::wstring Nodes(const ui::TreeNode* n) {
    std::wstring out;
    for (; n; n = n->Next()) {
        out += std::to_wstring(n->Index()) + L":" + n->Text() + (n->Checked() ? L"*" : L"");
        if (n->Child()) out += L"(" + Nodes(n->Child()) + L")";
        if (n->Next()) out += L" ";
    }
    return out;
}

std::wstring Seen(Probe& p, const fakes::TestShell& shell) {
    std::wstring out = p.log;
    for (const auto& m : shell.messages)
        out += L"msg" + std::to_wstring(m.style) + L"[" + m.text + L"] ";
    for (auto* o : {p.optA0, p.optA1, p.optB})
        if (o->Value()) out += o->Name() + L"=1 ";
    if (p.chk->Value()) out += L"chk=1 ";
    if (!p.txt->Text().empty())
        out += L"txt=" + p.txt->Text() + L"@" + std::to_wstring(p.txt->SelStart()) + L"+" +
               std::to_wstring(p.txt->SelLength()) + L" ";
    if (p.cmb->ListIndex() != -1) out += L"cmb=" + p.cmb->Text() + L" ";
    if (p.tvw->Count()) out += L"tvw=" + Nodes(p.tvw->Node(1)) + L" ";
    return out.empty() ? out : out.substr(0, out.size() - 1);
}

struct Case {
    const char* rule;
    std::function<void(Probe&)> act;
    std::wstring seen;
};

const Case kCases[] = {
    {"check box: code clicks on change only; the user toggles unless it is disabled",
     [](Probe& p) {
         p.chk->SetValue(1), p.chk->SetValue(1), p.chk->SetValue(0), p.chk->SetPeer(&p);
         p.chk->UserClick(), p.chk->SetEnabled(false), p.chk->UserClick();
     },
     L"chk.Click chk.Click chk:Value chk.Click chk:Enabled chk=1"},
    {"options: one per container; unchoosing is silent; choosing again clicks; a disabled frame "
     "disables and tells what it holds",
     [](Probe& p) {
         p.optA0->SetValue(true), p.optA0->SetValue(true), p.optB->SetValue(true);
         p.optB->SetPeer(&p), p.optB->SetValue(false), p.optA0->SetPeer(&p), p.optA1->UserClick();
         p.optA1->UserClick(), p.fra->SetEnabled(false), p.optA0->UserClick(), p.cmd->UserClick();
     },
     L"optA0.Click optB.Click optB:Value optA0:Value optA1.Click optA1.Click optA0:Enabled "
     L"optA1=1"},
    {"text: code changes on change only; typing is cut at the limit and ignored when read-only",
     [](Probe& p) {
         p.txt->SetText(L"abc"), p.txt->SetText(L"abc"), p.txt->maxLength = 2;
         p.txt->UserSetText(L"wxyz"), p.txt->readOnly = true, p.txt->UserSetText(L"a");
         p.txt->readOnly = false, p.txt->SetEnabled(false), p.txt->UserSetText(L"b");
     },
     L"txt.Change txt.Change txt=wx@2+0"},
    {"text: selection clamped, replaced, caret after it; a shorter text pulls it back",
     [](Probe& p) {
         p.txt->SetText(L"hello world"), p.txt->SetSelection(5, 9), p.txt->SetPeer(&p);
         p.txt->ReplaceSelection(L"!"), p.txt->SetSelection(6, 0), p.txt->SetText(L"hi");
     },
     L"txt.Change txt:Text txt:Selection txt.Change txt:Selection txt:Text txt.Change txt=hi@2+0"},
    {"lists: click on change; out of range selects nothing; clearing is silent",
     [](Probe& p) {
         p.cmb->SetListIndex(1), p.cmb->SetListIndex(1), p.cmb->SetListIndex(2);
         p.cmb->UserSelect(0), p.cmb->Clear(), p.cmb->SetEnabled(false), p.cmb->AddItem(L"x");
         p.cmb->UserSelect(0);
     },
     L"cmb.Click cmb.Click cmb.Click"},
    {"tree: order kept; empty, duplicate and orphan keys rejected; code checks silently",
     [](Probe& p) {
         p.tvw->AddRoot(L"A", L"a"), p.tvw->AddRoot(L"A", L"again"), p.tvw->AddRoot(L"", L"e");
         p.tvw->AddChild(L"none", L"X", L"x"), p.tvw->AddChild(L"A", L"B", L"b");
         p.tvw->AddChild(L"A", L"C", L"c"), p.tvw->AddRoot(L"D", L"d");
         p.tvw->AddChild(L"B", L"E", L"e"), p.tvw->FindByKey(L"C")->SetChecked(true);
         p.tvw->UserToggleCheck(*p.tvw->Node(4)), p.tvw->SetEnabled(false);
         p.tvw->UserToggleCheck(*p.tvw->Node(1));
     },
     L"tvw.NodeCheck(D) tvw=1:a(2:b(5:e) 3:c*) 4:d*"},
    {"tree: its window is told of each node added, of a node changed and of clearing",
     [](Probe& p) {
         p.tvw->SetPeer(&p), p.tvw->AddRoot(L"A", L"a"), p.tvw->Node(1)->SetChecked(true);
         p.tvw->Clear(), p.tvw->AddRoot(L"B", L"b");
     },
     L"tvw:Nodes tvw:Value tvw:Nodes tvw:Nodes tvw=1:b"},
    {"colors: boxes that hold text, lists and trees on the window background, the rest not",
     [](Probe& p) {
         for (ui::Control* c :
              std::initializer_list<ui::Control*>{p.txt, p.cmb, p.tvw, p.chk, p.optB, p.fra, p.cmd})
             p.log += c->BackColor() == ui::kColorWindowBackground ? L"w " : L"- ";
     },
     L"w w w - - - -"},
    {"buttons: hidden and disabled ones deliver no click; failures become critical messages",
     [](Probe& p) {
         p.cmd->SetPeer(&p), p.cmd->SetVisible(false), p.cmd->UserClick(), p.cmd->SetVisible(true);
         p.cmd->SetEnabled(false), p.cmd->UserClick(), p.cmd->SetEnabled(true), p.cmd->UserClick();
         p.cmd->Click = [] { throw std::runtime_error("boom"); }, p.cmd->UserClick();
         p.cmd->Click = [] { throw sysaccess::VbError(5, L"x", L"Invalid call"); },
         p.cmd->UserClick();
     },
     L"cmd:Visible cmd:Visible cmd:Enabled cmd:Enabled cmd.Click msg16[Unexpected error: boom] "
     L"msg16[Run-time error '5':\r\n\r\nInvalid call]"},
};

TEST(ControlModel, EventRules) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.rule);
        fakes::TestShell shell;
        auto probe = std::make_shared<Probe>(shell);
        c.act(*probe);
        EXPECT_EQ(Seen(*probe, shell), c.seen);
    }
}

TEST(ControlModel, TwipsToPixelsRoundsAtEachDpi) {
    const int kRows[][3] = {{1440, 96, 96}, {5970, 144, 597}, {22, 96, 1}, {23, 96, 2}};
    for (const auto& r : kRows)
        EXPECT_EQ(ui::TwipsToPixels(r[0], r[1]), r[2]) << r[0] << "@" << r[1];
}

}  // namespace
