#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "features/FeatureList.h"
#include "tests/support/TestShell.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace {

using features::BuildFeatureTree;
using features::FeatureStateMap;

class TreeHolder : public ui::Form {
  public:
    explicit TreeHolder(ui::Shell& shell) : ui::Form(shell, L"frmTreeHolder") {
        tree = &Add<ui::TreeView>(L"tvwTest");
    }
    ui::TreeView* tree;
};

// One node as a test sees it: name, parent's name ("" for a root), checked.
struct Seen {
    std::wstring name;
    std::wstring parent;
    bool checked;
    bool operator==(const Seen&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Seen& s) {
    return os << "{" << std::string(s.name.begin(), s.name.end()) << " under "
              << std::string(s.parent.begin(), s.parent.end()) << (s.checked ? ", checked}" : "}");
}

struct FeatureTree : ::testing::Test {
    testing_support::TestShell shell;
    std::shared_ptr<TreeHolder> form = std::make_shared<TreeHolder>(shell);
    ui::TreeView& tree = *form->tree;
    FeatureStateMap states;

    features::FeatureTreeSummary Parse(const std::wstring& output) {
        return BuildFeatureTree(output, tree, states);
    }

    std::vector<Seen> Nodes() const {
        std::vector<Seen> seen;
        for (int i = 1; i <= tree.Count(); ++i) {
            const ui::TreeNode* n = tree.Node(i);
            seen.push_back({n->Text(), n->Parent() ? n->Parent()->Text() : L"", n->Checked()});
        }
        return seen;
    }
};

std::wstring Lines(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (const auto& l : lines) text += l + L"\r\n";
    return text;
}

TEST(FeatureLineGrammar, ReadsDepthNameAndState) {
    auto root = features::ReadFeatureLine(L"Not Installed:A");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->depth, 1);
    EXPECT_EQ(root->name, L"A");
    EXPECT_FALSE(root->installed);

    auto nested = features::ReadFeatureLine(L"       |       |--- Installed:  IIS-Web Server  ");
    ASSERT_TRUE(nested);
    EXPECT_EQ(nested->depth, 3);
    EXPECT_EQ(nested->name, L"IIS-Web Server");
    EXPECT_TRUE(nested->installed);

    // Only the second ":" field names the feature, blanks trimmed.
    auto third = features::ReadFeatureLine(L"Installed : Name : extra: more");
    ASSERT_TRUE(third);
    EXPECT_EQ(third->name, L"Name");
    EXPECT_TRUE(third->installed);

    EXPECT_EQ(features::CountLevels(L""), 1);
    EXPECT_EQ(features::CountLevels(L"|a|b|"), 4);
}

TEST(FeatureLineGrammar, RejectsLinesOutsideTheGrammar) {
    EXPECT_FALSE(features::ReadFeatureLine(L"installed:A"));  // lower case only
    EXPECT_FALSE(features::ReadFeatureLine(L"INSTALLED:A"));
    EXPECT_FALSE(features::ReadFeatureLine(L"Installed A"));        // no ":"
    EXPECT_FALSE(features::ReadFeatureLine(L"Not Installed - A"));  // no ":"
    EXPECT_FALSE(features::ReadFeatureLine(L"Available:A"));        // no "Installed"
    EXPECT_FALSE(features::ReadFeatureLine(L"Installed:DomainController"));
    EXPECT_FALSE(features::ReadFeatureLine(L"Not Installed:X (DomainController role)"));
    EXPECT_FALSE(features::ReadFeatureLine(L""));
    // The grammar accepts "Installed" anywhere, "Not Installed" included.
    EXPECT_TRUE(features::ReadFeatureLine(L"A: Not Installed"));
}

TEST(FeatureLineGrammar, SplitsOnlyAtCarriageReturnLineFeed) {
    auto lines = features::SplitOutputLines(L"a\r\nb\nc\rd\r\n");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], L"a");
    EXPECT_EQ(lines[1], L"b\nc\rd");
    EXPECT_EQ(lines[2], L"");
}

TEST_F(FeatureTree, FourLineExampleGivesTreeKeysStatesAndChecks) {
    auto summary =
        Parse(L"Not Installed:A\r\n|Installed:B\r\n||Not Installed:C\r\nInstalled:D\r\n");
    EXPECT_EQ(summary.nodesAdded, 4);
    EXPECT_EQ(summary.linesSkipped, 0);
    EXPECT_EQ(Nodes(),
              (std::vector<Seen>{
                  {L"A", L"", false}, {L"B", L"A", true}, {L"C", L"B", false}, {L"D", L"", true}}));
    // Keys: a root's name; below it the parent's index and the name.
    EXPECT_EQ(tree.Node(1)->Key(), L"A");
    EXPECT_EQ(tree.Node(2)->Key(), L"1:B");
    EXPECT_EQ(tree.Node(3)->Key(), L"2:C");
    EXPECT_EQ(tree.Node(4)->Key(), L"D");
    EXPECT_EQ(states, (FeatureStateMap{{L"A", false}, {L"B", true}, {L"C", false}, {L"D", true}}));
    for (int i = 1; i <= tree.Count(); ++i) EXPECT_TRUE(tree.Node(i)->Expanded()) << i;
    EXPECT_EQ(tree.Node(1)->Next(), tree.Node(4));
}

TEST_F(FeatureTree, TrimsNamesAndIgnoresThirdField) {
    Parse(L"Installed : Name : more text\r\n");
    EXPECT_EQ(Nodes(), (std::vector<Seen>{{L"Name", L"", true}}));
    EXPECT_EQ(states, (FeatureStateMap{{L"Name", true}}));
}

TEST_F(FeatureTree, DomainControllerLinesLeaveNoNodeAndNoEntry) {
    Parse(Lines({L"Installed:DirectoryServices-DomainController-ServerFoundation",
                 L"Not Installed:Other", L"|Installed:Child (DomainController)",
                 L"|Installed:Kept"}));
    EXPECT_EQ(Nodes(), (std::vector<Seen>{{L"Other", L"", false}, {L"Kept", L"Other", true}}));
    EXPECT_EQ(states.size(), 2u);
}

TEST_F(FeatureTree, LinesUnderAnOmittedRootJoinThePreviousRoot) {
    Parse(Lines({L"Installed:P", L"Installed:DomainController", L"|Not Installed:Q"}));
    EXPECT_EQ(Nodes(), (std::vector<Seen>{{L"P", L"", true}, {L"Q", L"P", false}}));
}

TEST_F(FeatureTree, LowerCaseOrColonlessLinesAreNotFeatures) {
    Parse(Lines({L"installed:a", L"Installed b", L"Not Installed c", L"----", L"Installed:ok"}));
    EXPECT_EQ(Nodes(), (std::vector<Seen>{{L"ok", L"", true}}));
}

TEST_F(FeatureTree, LoneLineFeedsDoNotEndLines) {
    Parse(L"Installed:A\nInstalled:B\n");
    ASSERT_EQ(tree.Count(), 1);
    EXPECT_EQ(tree.Node(1)->Text(), L"A\nInstalled");
}

TEST_F(FeatureTree, EmptyOrFailureOutputLeavesEverythingEmpty) {
    Parse(L"Installed:Old\r\n");
    ASSERT_EQ(tree.Count(), 1);
    Parse(L"");
    EXPECT_EQ(tree.Count(), 0);
    EXPECT_TRUE(states.empty());
    Parse(L"Installed:Old\r\n");
    Parse(L"Failed to create process, check the path of the command line.");
    EXPECT_EQ(tree.Count(), 0);
    EXPECT_TRUE(states.empty());
}

TEST_F(FeatureTree, AFeatureListedTwiceSharesOneEntry) {
    Parse(
        Lines({L"Installed:R1", L"|Installed:Shared", L"Installed:R2", L"|Not Installed:Shared"}));
    EXPECT_EQ(tree.Count(), 4);
    EXPECT_EQ(states.at(L"Shared"), false);
    EXPECT_TRUE(tree.Node(2)->Checked());
    EXPECT_FALSE(tree.Node(4)->Checked());
    Parse(Lines({L"Installed:R1", L"|Installed:Shared", L"Installed:R2", L"|Installed:Shared"}));
    EXPECT_EQ(states.at(L"Shared"), true);
}

// Each line the tree cannot hold is skipped with nothing else changed: the
// result is the one of the same output without that line.
TEST_F(FeatureTree, RejectedLinesChangeNothing) {
    const std::vector<std::wstring> good = {L"Installed:A", L"|Installed:B", L"||Installed:C",
                                            L"Not Installed:D", L"|Installed:E"};
    Parse(Lines(good));
    const auto baselineNodes = Nodes();
    const auto baselineStates = states;
    struct Case {
        const wchar_t* what;
        std::size_t insertAt;  // the bad line goes before good[insertAt]
        std::wstring line;
    };
    const std::vector<Case> cases = {
        {L"nested line before any root", 0, L"|Not Installed:Early"},
        {L"deeply nested line before any root", 0, L"|||Installed:Early"},
        {L"duplicate root", 1, L"Not Installed:A"},
        {L"duplicate child under the same parent", 2, L"|Not Installed:B"},
        {L"empty name", 1, L"Not Installed:   "},
        {L"empty name nested", 3, L"||Not Installed:"},
        {L"two levels below the line before", 1, L"|||Not Installed:Deep"},
        {L"would attach to an earlier branch", 4, L"||Not Installed:Stale"},
        {L"duplicate whose state differs", 5, L"|Not Installed:E"},
    };
    for (const auto& c : cases) {
        auto lines = good;
        lines.insert(lines.begin() + static_cast<long>(c.insertAt), c.line);
        auto summary = Parse(Lines(lines));
        std::string what(c.what, c.what + std::wcslen(c.what));
        EXPECT_EQ(summary.linesSkipped, 1) << what;
        EXPECT_EQ(Nodes(), baselineNodes) << what;
        EXPECT_EQ(states, baselineStates) << what;
    }
}

TEST_F(FeatureTree, LinesAfterARejectedLineFindTheirRealParent) {
    Parse(Lines({L"Installed:A", L"|Installed:B", L"|||||Installed:Lost", L"||Not Installed:C",
                 L"|Not Installed:B", L"||Installed:D", L"Installed:E", L"||Installed:Orphan",
                 L"|Installed:F"}));
    EXPECT_EQ(Nodes(), (std::vector<Seen>{{L"A", L"", true},
                                          {L"B", L"A", true},
                                          {L"C", L"B", false},
                                          {L"D", L"B", true},
                                          {L"E", L"", true},
                                          {L"F", L"E", true}}));
    EXPECT_EQ(states.at(L"B"), true);
    EXPECT_EQ(states.count(L"Lost") + states.count(L"Orphan"), 0u);
}

TEST_F(FeatureTree, SameNameUnderDifferentParentsMakesDistinctNodes) {
    // Names repeat under different parents, and a root may be named like a
    // node index: every path still gets a node of its own.
    Parse(Lines({L"Installed:X", L"|Installed:Common", L"Installed:Y", L"|Installed:Common",
                 L"Installed:1", L"|Installed:Common"}));
    EXPECT_EQ(tree.Count(), 6);
    EXPECT_EQ(tree.Node(4)->Parent(), tree.Node(3));
    EXPECT_EQ(tree.Node(6)->Parent(), tree.Node(5));
}

TEST_F(FeatureTree, SixtyFourLevelsKeepShortKeys) {
    std::vector<std::wstring> lines;
    const std::wstring name = L"Feature-Name-Of-20ch";
    for (int depth = 1; depth <= 64; ++depth)
        lines.push_back(std::wstring(static_cast<std::size_t>(depth - 1), L'|') + L"Installed:" +
                        name + std::to_wstring(depth));
    Parse(Lines(lines));
    ASSERT_EQ(tree.Count(), 64);
    std::size_t totalKeyLength = 0;
    for (int i = 1; i <= 64; ++i) {
        EXPECT_LE(tree.Node(i)->Key().size(), name.size() + 2 + 8) << i;
        totalKeyLength += tree.Node(i)->Key().size();
    }
    EXPECT_LT(totalKeyLength, 64u * 40u);
    int depth = 0;
    for (const ui::TreeNode* n = tree.Node(64); n; n = n->Parent()) ++depth;
    EXPECT_EQ(depth, 64);
}

TEST_F(FeatureTree, ExtremeDepthOnOneLineIsSkippedCheaply) {
    std::wstring line = std::wstring(100000, L'|') + L"Installed:Deep";
    Parse(L"Installed:Root\r\n" + line + L"\r\n|Installed:Child\r\n");
    EXPECT_EQ(Nodes(), (std::vector<Seen>{{L"Root", L"", true}, {L"Child", L"Root", true}}));
}

}  // namespace
