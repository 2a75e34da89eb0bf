#pragma once
// The output of the feature-listing tools (oclist.exe, oclist64.exe) and the
// tree of features built from it.
//
// A feature line is a piece of the output between CR LF pairs (a lone line
// feed does not end a line) that contains "Installed" and ":" and does not
// contain "DomainController"; every test is exact and case-sensitive.
//   depth     = number of "|" in the line + 1 (1 is a root);
//   name      = the text between the first and the second ":" (or the end of
//               the line), without leading and trailing blanks;
//   installed = the line does not contain "Not Installed".
// A node's parent is the most recent node one level up.
//
// Node keys are never shown; they only identify a node and let a child name
// its parent. A root's key is its name; any other node's key is its parent's
// node index, ":" and its name. Names never contain ":", so two keys are equal
// exactly when the nodes share parent and name, and a key is never much
// longer than the name however deep the tree.
//
// A feature line that the tree could not hold sensibly is rejected, leaving
// tree, states and the parent bookkeeping as they were:
//   - an empty name;
//   - a line nested more than one level below the node added before it
//     (also any nested line before the first root), whose parent would be a
//     node of some earlier, unrelated branch or none at all;
//   - a second node of the same name under the same parent.
// The lines nested under a rejected line are rejected with it, up to the next
// line at its level or above: otherwise they would land under whatever node
// last stood one level up, and ticking one would install that node.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ui {
class TreeView;
class TreeNode;
}  // namespace ui

namespace features {

// Feature name (exact, case-sensitive) to installed, as the tool last said.
using FeatureStateMap = std::map<std::wstring, bool>;

struct FeatureLine {
    int depth = 1;
    std::wstring name;
    bool installed = false;
};

// The lines of the output, split at CR LF only.
std::vector<std::wstring_view> SplitOutputLines(std::wstring_view output);
// Fields of the line split at "|": the number of "|" plus one.
int CountLevels(std::wstring_view line);
// The feature the line describes, or nothing when it is not a feature line.
std::optional<FeatureLine> ReadFeatureLine(std::wstring_view line);
// Every feature line of the output, in order.
std::vector<FeatureLine> ReadFeatureLines(std::wstring_view output);
// The key of a node named name under parent (nullptr for a root).
std::wstring BuildNodeKey(const ui::TreeNode* parent, const std::wstring& name);

// Empties tree and states and fills both from the feature lines, each the
// child of the most recent line one level up. Every node is expanded and
// checked when its line says installed; a name listed more than once shares
// one entry of states, which is true only when every node of that name is.
void BuildFeatureTree(const std::vector<FeatureLine>& lines, ui::TreeView& tree,
                      FeatureStateMap& states);
// The same from the listing tool's output.
void BuildFeatureTree(std::wstring_view output, ui::TreeView& tree, FeatureStateMap& states);

}  // namespace features
