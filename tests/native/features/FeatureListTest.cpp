#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "features/FeatureList.h"
#include "tests/fakes/TestShell.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace {

using features::FeatureLine;
using Lines = std::vector<std::wstring>;

std::wstring Joined(const Lines& lines) {
    std::wstring text;
    for (const auto& l : lines) text += l + L"\r\n";
    return text;
}

// "name(parent)+" per node in index order, "+" checked and "-" not.
std::wstring Describe(const ui::TreeView& tree) {
    std::wstring seen;
    for (int i = 1; i <= tree.Count(); ++i) {
        const ui::TreeNode& n = *tree.Node(i);
        seen += (i > 1 ? L" " : L"") + n.Text();
        if (n.Parent()) seen += L"(" + n.Parent()->Text() + L")";
        seen += n.Checked() ? L"+" : L"-";
    }
    return seen;
}

std::wstring Describe(const features::FeatureStateMap& states) {
    std::wstring seen;
    for (const auto& [name, installed] : states)
        seen += (seen.empty() ? L"" : L" ") + name + (installed ? L"+" : L"-");
    return seen;
}

TEST(FeatureLineGrammar, LineGivesDepthNameAndStateOrIsNoFeature) {
    struct Case {
        std::wstring line;
        std::optional<FeatureLine> read;
    } cases[] = {
        {L"Not Installed:A", FeatureLine{1, L"A", false}},
        {L"       |       |--- Installed:  IIS-Web Server  ",
         FeatureLine{3, L"IIS-Web Server", true}},
        {L"Installed : Name : extra: more", FeatureLine{1, L"Name", true}},
        {L"|a|b|Installed:x", FeatureLine{4, L"x", true}},
        {L"A: Not Installed", FeatureLine{1, L"Not Installed", false}},
        {L"Not Installed:   ", FeatureLine{1, L"", false}},
        {L"installed:A", std::nullopt},
        {L"INSTALLED:A", std::nullopt},
        {L"Installed A", std::nullopt},
        {L"Not Installed - A", std::nullopt},
        {L"Available:A", std::nullopt},
        {L"Installed:DomainController", std::nullopt},
        {L"Not Installed:X (DomainController role)", std::nullopt},
        {L"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.line));
        const auto read = features::ReadFeatureLine(c.line);
        ASSERT_EQ(read.has_value(), c.read.has_value());
        if (!read) continue;
        EXPECT_EQ(read->depth, c.read->depth);
        EXPECT_EQ(read->name, c.read->name);
        EXPECT_EQ(read->installed, c.read->installed);
    }
}

struct TreeHolder : ui::Form {
    explicit TreeHolder(ui::Shell& shell) : ui::Form(shell, L"frmTreeHolder") {
        tree = &Add<ui::TreeView>(L"tvwTest");
    }
    ui::TreeView* tree;
};

// Output of the listing tool → nodes, states and rejected lines. A tree left
// by an earlier listing is always replaced.
TEST(FeatureTree, OutputGivesNodesStatesAndRejectedLines) {
    const std::wstring tooDeep = std::wstring(100000, L'|') + L"Installed:Deep";
    struct Case {
        const char* what;
        std::wstring output;
        std::wstring nodes;
        std::wstring states;
        int rejected = 0;
    } cases[] = {
        {"four lines",
         Joined({L"Not Installed:A", L"|Installed:B", L"||Not Installed:C", L"Installed:D"}),
         L"A- B(A)+ C(B)- D+", L"A- B+ C- D+"},
        {"blanks trimmed, third field ignored", Joined({L"Installed : Name : more"}), L"Name+",
         L"Name+"},
        {"DomainController lines leave nothing",
         Joined({L"Installed:DirectoryServices-DomainController-ServerFoundation",
                 L"Not Installed:Other", L"|Installed:Child (DomainController)",
                 L"|Installed:Kept"}),
         L"Other- Kept(Other)+", L"Kept+ Other-"},
        {"lines under an omitted root join the previous root",
         Joined({L"Installed:P", L"Installed:DomainController", L"|Not Installed:Q"}), L"P+ Q(P)-",
         L"P+ Q-"},
        {"lines outside the grammar",
         Joined({L"installed:a", L"Installed b", L"Not Installed c", L"----", L"Installed:ok"}),
         L"ok+", L"ok+"},
        {"a lone line feed ends no line", L"Installed:A\nInstalled:B\n", L"A\nInstalled+",
         L"A\nInstalled+"},
        {"empty output", L"", L"", L""},
        {"the runner's failure text",
         L"Failed to create process, check the path of the command line.", L"", L""},
        {"a name listed twice shares one state",
         Joined({L"Installed:R1", L"|Installed:S", L"Installed:R2", L"|Not Installed:S"}),
         L"R1+ S(R1)+ R2+ S(R2)-", L"R1+ R2+ S-"},
        {"one name under different parents",
         Joined({L"Installed:X", L"|Installed:C", L"Installed:1", L"|Installed:C"}),
         L"X+ C(X)+ 1+ C(1)+", L"1+ C+ X+"},
        {"duplicate root", Joined({L"Installed:A", L"Not Installed:A", L"Installed:B"}), L"A+ B+",
         L"A+ B+", 1},
        {"duplicate child", Joined({L"Installed:A", L"|Installed:B", L"|Not Installed:B"}),
         L"A+ B(A)+", L"A+ B+", 1},
        {"empty names",
         Joined({L"Installed:   ", L"Installed:A", L"||Not Installed:", L"|Installed:B"}),
         L"A+ B(A)+", L"A+ B+", 2},
        {"nested before any root", Joined({L"|Installed:E", L"|||Installed:F", L"Installed:A"}),
         L"A+", L"A+", 2},
        {"two levels below the line before",
         Joined({L"Installed:A", L"|||Installed:Deep", L"|Installed:B"}), L"A+ B(A)+", L"A+ B+", 1},
        {"would attach to an earlier branch",
         Joined({L"Installed:A", L"|Installed:B", L"Installed:D", L"||Installed:Stale"}),
         L"A+ B(A)+ D+", L"A+ B+ D+", 1},
        {"a hundred thousand levels", Joined({L"Installed:Root", tooDeep, L"|Installed:Child"}),
         L"Root+ Child(Root)+", L"Child+ Root+", 1},
        {"children of a duplicate go with it",
         Joined({L"Installed:A", L"|Installed:X", L"|Installed:Y", L"|Installed:X",
                 L"||Installed:c", L"|||Installed:d", L"|Installed:Z"}),
         L"A+ X(A)+ Y(A)+ Z(A)+", L"A+ X+ Y+ Z+", 3},
        {"children of an empty name go with it",
         Joined({L"Installed:A", L"|Installed: ", L"||Installed:c", L"|Installed:d"}), L"A+ d(A)+",
         L"A+ d+", 2},
        {"children of a line too deep go with it",
         Joined({L"Installed:A", L"|Installed:B", L"||||Installed:Lost", L"|||||Installed:c",
                 L"||Installed:C"}),
         L"A+ B(A)+ C(B)+", L"A+ B+ C+", 2},
        {"children of a duplicate root go with it",
         Joined({L"Installed:A", L"Installed:A", L"|Installed:c", L"Installed:B", L"|Installed:e"}),
         L"A+ B+ e(B)+", L"A+ B+ e+", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fakes::TestShell shell;
        auto form = std::make_shared<TreeHolder>(shell);
        features::FeatureStateMap states{{L"Old", true}};
        form->tree->AddRoot(L"Old", L"Old");
        const auto summary = features::BuildFeatureTree(c.output, *form->tree, states);
        EXPECT_EQ(Describe(*form->tree), c.nodes);
        EXPECT_EQ(Describe(states), c.states);
        EXPECT_EQ(summary.linesSkipped, c.rejected);
        EXPECT_EQ(summary.nodesAdded, form->tree->Count());
        for (int i = 1; i <= form->tree->Count(); ++i) EXPECT_TRUE(form->tree->Node(i)->Expanded());
    }
}

// However deep the tree, a node's key stays about as long as its name.
TEST(FeatureTree, KeysStayShortInADeepTree) {
    Lines lines;
    for (int depth = 1; depth <= 64; ++depth)
        lines.push_back(std::wstring(depth - 1, L'|') + L"Installed:Name" + std::to_wstring(depth));
    fakes::TestShell shell;
    auto form = std::make_shared<TreeHolder>(shell);
    features::FeatureStateMap states;
    features::BuildFeatureTree(Joined(lines), *form->tree, states);
    ASSERT_EQ(form->tree->Count(), 64);
    EXPECT_EQ(form->tree->Node(64)->Parent(), form->tree->Node(63));
    for (int i = 1; i <= 64; ++i) EXPECT_LE(form->tree->Node(i)->Key().size(), 16u);
}

}  // namespace
