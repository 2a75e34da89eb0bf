// Feeds arbitrary texts to network::IsValidIPAddress and checks every answer
// against a second, deliberately plain reading of the same rules (split at the
// dots, four groups of ASCII digits, each worth at most 255). The first input
// byte chooses how the rest becomes characters: as UTF-16 code units, or one
// byte per character (so that dots and digits are common).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "network/mdlWMINetwork.h"

namespace {

bool ReferenceIsValid(const std::wstring& text) {
    if (text.empty()) return true;
    std::vector<std::wstring> groups(1);
    for (wchar_t c : text) {
        if (c == L'.')
            groups.emplace_back();
        else
            groups.back().push_back(c);
    }
    if (groups.size() != 4) return false;
    if (groups.front().empty() || groups.back().empty()) return false;
    for (const std::wstring& group : groups) {
        std::size_t first = 0;
        for (wchar_t c : group)
            if (c < L'0' || c > L'9') return false;
        while (first < group.size() && group[first] == L'0') ++first;
        const std::wstring significant = group.substr(first);
        if (significant.size() > 3) return false;
        int value = 0;
        for (wchar_t c : significant) value = value * 10 + (c - L'0');
        if (value > 255) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::wstring text;
    if (data[0] & 1) {
        for (std::size_t i = 1; i + 1 < size; i += 2)
            text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    } else {
        for (std::size_t i = 1; i < size; ++i) text.push_back(static_cast<wchar_t>(data[i]));
    }
    const bool got = network::IsValidIPAddress(text);
    if (got != ReferenceIsValid(text)) {
        std::fprintf(stderr,
                     "IsValidIPAddress disagrees with the reference (got %d) on %zu chars\n",
                     got ? 1 : 0, text.size());
        std::abort();
    }
    return 0;
}
