#include "features/FeatureList.h"

#include <algorithm>

#include "ui/Controls.h"

namespace features {
namespace {

bool Contains(std::wstring_view text, std::wstring_view part) {
    return text.find(part) != std::wstring_view::npos;
}

std::wstring_view TrimBlanks(std::wstring_view text) {
    const auto first = text.find_first_not_of(L' ');
    if (first == std::wstring_view::npos) return {};
    const auto last = text.find_last_not_of(L' ');
    return text.substr(first, last - first + 1);
}

}  // namespace

std::vector<std::wstring_view> SplitOutputLines(std::wstring_view output) {
    std::vector<std::wstring_view> lines;
    std::size_t start = 0;
    for (;;) {
        const auto end = output.find(L"\r\n", start);
        if (end == std::wstring_view::npos) {
            lines.push_back(output.substr(start));
            return lines;
        }
        lines.push_back(output.substr(start, end - start));
        start = end + 2;
    }
}

int CountLevels(std::wstring_view line) {
    return static_cast<int>(std::count(line.begin(), line.end(), L'|')) + 1;
}

std::optional<FeatureLine> ReadFeatureLine(std::wstring_view line) {
    if (!Contains(line, L"Installed") || Contains(line, L"DomainController")) return std::nullopt;
    const auto firstColon = line.find(L':');
    if (firstColon == std::wstring_view::npos) return std::nullopt;
    auto field = line.substr(firstColon + 1);
    field = field.substr(0, field.find(L':'));
    FeatureLine feature;
    feature.depth = CountLevels(line);
    feature.name = std::wstring(TrimBlanks(field));
    feature.installed = !Contains(line, L"Not Installed");
    return feature;
}

std::wstring BuildNodeKey(const ui::TreeNode* parent, const std::wstring& name) {
    if (!parent) return name;
    return std::to_wstring(parent->Index()) + L":" + name;
}

std::vector<FeatureLine> ReadFeatureLines(std::wstring_view output) {
    std::vector<FeatureLine> features;
    for (std::wstring_view line : SplitOutputLines(output))
        if (auto feature = ReadFeatureLine(line)) features.push_back(std::move(*feature));
    return features;
}

void BuildFeatureTree(std::wstring_view output, ui::TreeView& tree, FeatureStateMap& states) {
    BuildFeatureTree(ReadFeatureLines(output), tree, states);
}

void BuildFeatureTree(const std::vector<FeatureLine>& lines, ui::TreeView& tree,
                      FeatureStateMap& states) {
    states.clear();
    tree.Clear();
    // Entry d-1: the most recent node of depth d. Entries deeper than the last
    // node added belong to finished branches and are never used as parents,
    // because a line may go at most one level deeper.
    std::vector<ui::TreeNode*> levelNodes;
    int lastDepth = 0;
    // The depth of the last rejected line while the lines below it are being
    // passed over; 0 when none is.
    int rejectedDepth = 0;
    for (const FeatureLine& feature : lines) {
        const int depth = feature.depth;
        if (rejectedDepth && depth > rejectedDepth) continue;
        rejectedDepth = 0;
        ui::TreeNode* node = nullptr;
        if (!feature.name.empty() && depth <= lastDepth + 1) {
            if (depth == 1) {
                node = tree.AddRoot(BuildNodeKey(nullptr, feature.name), feature.name);
            } else {
                const ui::TreeNode* parent = levelNodes[static_cast<std::size_t>(depth - 2)];
                node =
                    tree.AddChild(parent->Key(), BuildNodeKey(parent, feature.name), feature.name);
            }
        }
        if (!node) {  // empty name, too deep, or the same name twice under one parent
            rejectedDepth = depth;
            continue;
        }
        if (levelNodes.size() < static_cast<std::size_t>(depth))
            levelNodes.resize(static_cast<std::size_t>(depth));
        levelNodes[static_cast<std::size_t>(depth - 1)] = node;
        lastDepth = depth;

        auto [entry, added] = states.try_emplace(feature.name, true);
        (void)added;
        if (feature.installed) {
            node->SetChecked(true);
        } else {
            node->SetChecked(false);
            entry->second = false;
        }
        node->SetExpanded(true);
    }
}

}  // namespace features
