#pragma once
// A listing shaped like the feature-listing tool's output, for the benchmarks:
// roles with features up to four levels deep, "|" drawing lines, now and then
// a blank separator line, a third of the features installed.
#include <algorithm>
#include <string>

namespace bench {

inline std::wstring MakeFeatureListing(int featureLines) {
    std::wstring out =
        L"Use the listed update names with Ocsetup.exe to install/uninstall\r\n"
        L"a server role or optional feature.\r\n\r\n";
    int depth = 1;
    for (int i = 0; i < featureLines; ++i) {
        std::wstring bars;
        for (int d = 1; d < depth; ++d) bars += L"       |";
        out += bars + (depth > 1 ? L"--- " : L"") + (i % 3 ? L"Not Installed:" : L"Installed:") +
               L"Feature-" + std::to_wstring(i) + L"-Component\r\n";
        if (i % 50 == 0) out += bars + L"\r\n";
        depth = (i % 7 == 6) ? 1 : std::min(depth + 1, 4);
    }
    return out;
}

}  // namespace bench
