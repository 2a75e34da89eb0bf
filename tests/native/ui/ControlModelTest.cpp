#include <gtest/gtest.h>

#include "tests/support/TestShell.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace {

class Probe : public ui::Form {
public:
    explicit Probe(ui::Shell& shell) : ui::Form(shell, L"frmProbe") {}
};

struct ControlModel : ::testing::Test {
    testing_support::TestShell shell;
    std::shared_ptr<Probe> form = std::make_shared<Probe>(shell);
    int clicks = 0;
};

TEST_F(ControlModel, CheckBoxValueFromCodeRaisesClickOnlyOnChange) {
    auto& chk = form->Add<ui::CheckBox>(L"chkA");
    chk.Click = [&] { ++clicks; };
    chk.SetValue(1);
    chk.SetValue(1);
    chk.SetValue(0);
    EXPECT_EQ(clicks, 2);
    chk.SetEnabled(false);
    chk.UserClick();
    EXPECT_EQ(chk.Value(), 0);
    EXPECT_EQ(clicks, 2);
}

TEST_F(ControlModel, OptionButtonsGroupByContainer) {
    auto& frameA = form->Add<ui::Frame>(L"frameA");
    auto& a0 = form->Add<ui::OptionButton>(L"optA", 0);
    auto& a1 = form->Add<ui::OptionButton>(L"optA", 1);
    auto& b0 = form->Add<ui::OptionButton>(L"optB", 0);
    a0.container = &frameA;
    a1.container = &frameA;
    std::vector<std::wstring> log;
    a0.Click = [&] { log.push_back(L"a0"); };
    a1.Click = [&] { log.push_back(L"a1"); };
    b0.Click = [&] { log.push_back(L"b0"); };
    a0.SetValue(true);
    a0.SetValue(true);  // already selected: nothing
    b0.SetValue(true);  // other container: a0 stays
    a1.SetValue(true);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"a0", L"b0", L"a1"}));
    EXPECT_FALSE(a0.Value());
    EXPECT_TRUE(a1.Value());
    EXPECT_TRUE(b0.Value());
}

TEST_F(ControlModel, TextAndListChangesRaiseEvents) {
    auto& txt = form->Add<ui::TextBox>(L"txtA");
    int changes = 0;
    txt.Changed = [&] { ++changes; };
    txt.SetText(L"abc");
    txt.SetText(L"abc");
    txt.maxLength = 2;
    txt.UserSetText(L"wxyz");
    EXPECT_EQ(txt.Text(), L"wx");
    EXPECT_EQ(changes, 2);

    auto& cmb = form->Add<ui::ComboBox>(L"cmbA");
    cmb.Click = [&] { ++clicks; };
    cmb.AddItem(L"one");
    cmb.AddItem(L"two");
    cmb.SetListIndex(1);
    EXPECT_EQ(cmb.Text(), L"two");
    cmb.Clear();
    EXPECT_EQ(cmb.Text(), L"");
    EXPECT_EQ(cmb.ListIndex(), -1);
    EXPECT_EQ(clicks, 1);
}

TEST_F(ControlModel, ReplaceSelectionInsertsAtCaret) {
    auto& txt = form->Add<ui::TextBox>(L"txtOut");
    txt.SetText(L"hello world");
    txt.SetSelection(5, 6);
    txt.ReplaceSelection(L"!");
    EXPECT_EQ(txt.Text(), L"hello!");
    EXPECT_EQ(txt.SelStart(), 6);
}

TEST_F(ControlModel, TreeRejectsDuplicatesAndCodeChecksRaiseNothing) {
    auto& tree = form->Add<ui::TreeView>(L"tvw");
    int checks = 0;
    tree.NodeCheck = [&](ui::TreeNode&) { ++checks; };
    ui::TreeNode* a = tree.AddRoot(L"A", L"A");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(tree.AddRoot(L"A", L"again"), nullptr);
    EXPECT_EQ(tree.AddChild(L"missing", L"X", L"X"), nullptr);
    EXPECT_EQ(tree.AddRoot(L"", L"empty"), nullptr);
    ui::TreeNode* b = tree.AddChild(L"A", L"A=>B", L"B");
    ui::TreeNode* c = tree.AddChild(L"A", L"A=>C", L"C");
    ui::TreeNode* d = tree.AddRoot(L"D", L"D");
    EXPECT_EQ(tree.Count(), 4);
    EXPECT_EQ(b->Next(), c);
    EXPECT_EQ(c->Next(), nullptr);
    EXPECT_EQ(a->Next(), d);
    EXPECT_EQ(a->Child(), b);
    EXPECT_EQ(c->Index(), 3);
    b->SetChecked(true);
    EXPECT_EQ(checks, 0);
    tree.UserToggleCheck(*c);
    EXPECT_TRUE(c->Checked());
    EXPECT_EQ(checks, 1);
}

TEST_F(ControlModel, HandlerErrorsBecomeMessages) {
    auto& btn = form->Add<ui::Button>(L"cmdBoom");
    btn.Click = [] { throw std::runtime_error("boom"); };
    btn.UserClick();
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].style, ui::kMbIconCritical);
    EXPECT_NE(shell.messages[0].text.find(L"boom"), std::wstring::npos);
    btn.SetEnabled(false);
    btn.UserClick();
    EXPECT_EQ(shell.messages.size(), 1u);
}

TEST(Twips, ScaleWithDpi) {
    EXPECT_EQ(ui::TwipsToPixels(1440, 96), 96);
    EXPECT_EQ(ui::TwipsToPixels(5970, 96), 398);
    EXPECT_EQ(ui::TwipsToPixels(5970, 144), 597);
}

}  // namespace
