#include "features/DismFeatures.h"

namespace features {
namespace {

constexpr std::wstring_view kBlanks = L" \t";

std::wstring_view Trim(std::wstring_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::wstring_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// DISM ends its lines with CR LF; a lone line feed is taken as well, so that
// nothing depends on how the output was passed on.
std::vector<std::wstring_view> Lines(std::wstring_view output) {
    std::vector<std::wstring_view> lines;
    while (!output.empty()) {
        const auto end = output.find(L'\n');
        std::wstring_view line = output.substr(0, end);
        if (!line.empty() && line.back() == L'\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::wstring_view::npos) break;
        output.remove_prefix(end + 1);
    }
    return lines;
}

struct KnownState {
    std::wstring_view text;
    bool installed;
};
constexpr KnownState kStates[] = {
    {L"Enabled", true},
    {L"Disabled", false},
    {L"Disabled with Payload Removed", false},
    {L"Enable Pending", true},
    {L"Disable Pending", false},
};

}  // namespace

std::wstring DismEnableCommand(const std::wstring& featureName) {
    return L"dism.exe /Online /English /NoRestart /Enable-Feature /FeatureName:" + featureName +
           L" /All";
}

std::wstring DismDisableCommand(const std::wstring& featureName) {
    return L"dism.exe /Online /English /NoRestart /Disable-Feature /FeatureName:" + featureName;
}

std::vector<FeatureLine> ReadDismFeatureTable(std::wstring_view output) {
    std::vector<FeatureLine> features;
    for (std::wstring_view line : Lines(output)) {
        const auto bar = line.find(L'|');
        if (bar == std::wstring_view::npos) continue;
        const std::wstring_view name = Trim(line.substr(0, bar));
        const std::wstring_view state = Trim(line.substr(bar + 1));
        if (name.empty() || name.find_first_of(kBlanks) != std::wstring_view::npos) continue;
        for (const KnownState& known : kStates)
            if (state == known.text) features.push_back({1, std::wstring(name), known.installed});
    }
    return features;
}

DismResult ReadDismResult(std::wstring_view output) {
    DismResult result;
    result.succeeded = output.find(L"The operation completed successfully.") != output.npos;
    result.restartNeeded =
        output.find(L"Restart Windows to complete this operation.") != output.npos;
    bool fromError = false;
    for (std::wstring_view line : Lines(output)) {
        line = Trim(line);
        if (line.empty()) continue;
        if (!fromError && line.rfind(L"Error:", 0) == 0) {
            fromError = true;
            result.errorLines.clear();
        }
        result.errorLines.emplace_back(line);
    }
    return result;
}

}  // namespace features
