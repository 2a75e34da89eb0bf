#pragma once
// Features through DISM, the feature tool of the servers that no longer have
// the listing tool: its command lines and what its English output means.
//
// The listing is a table of two "|"-separated columns, feature name and state,
// between a banner and a closing line whose lengths vary with the version:
//   Feature Name                | State
//   --------------------------- | -----------
//   TelnetClient                | Disabled
// A row is a line of exactly two columns whose second column is a known state
// and whose first is one word (DISM's names have no blanks); every other line,
// the column heading and the rules of dashes included, is not a feature.
// States: "Enabled" is installed; "Disabled" and "Disabled with Payload
// Removed" are not. A pending state counts as the state it is going to:
// "Enable Pending" installed, "Disable Pending" not installed, so the box
// shows what the computer will have after its restart and can be changed as
// any other.
#include <string>
#include <string_view>
#include <vector>

#include "features/FeatureList.h"

namespace features {

inline constexpr wchar_t kDismProgram[] = L"dism.exe";
inline constexpr wchar_t kDismListCommand[] =
    L"dism.exe /Online /English /Get-Features /Format:Table";

std::wstring DismEnableCommand(const std::wstring& featureName);
std::wstring DismDisableCommand(const std::wstring& featureName);

// The features of the table, in DISM's order, each a root (depth 1).
std::vector<FeatureLine> ReadDismFeatureTable(std::wstring_view output);

struct DismResult {
    bool succeeded = false;      // "The operation completed successfully."
    bool restartNeeded = false;  // "Restart Windows to complete this operation."
    // What DISM said went wrong: its lines from the first one that starts with
    // "Error:" to the end, blank lines dropped; every non-blank line when no
    // line starts so.
    std::vector<std::wstring> errorLines;
};
DismResult ReadDismResult(std::wstring_view output);

}  // namespace features
