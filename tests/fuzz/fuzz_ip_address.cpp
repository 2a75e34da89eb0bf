// Feeds arbitrary texts to network::IsValidIPAddress and checks every answer
// against a second, deliberately plain reading of the same rules written as
// a pattern: empty, or four dot-separated groups of ASCII digits, each worth
// at most 255 (leading zeros allowed), of which only the first and the last
// must have a digit. The first input byte chooses how the rest becomes
// characters: as UTF-16 code units, or one byte per character (so that dots
// and digits are common). Inputs stay short enough for the pattern's
// recursive matcher; 256 bytes still hold every overflow of a group's value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <regex>
#include <string>

#include "network/mdlWMINetwork.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > 256) return 0;
    std::wstring text;
    const std::size_t step = data[0] & 1 ? 2 : 1;
    for (std::size_t i = 1; i + step <= size; i += step)
        text.push_back(static_cast<wchar_t>(data[i] | (step == 2 ? data[i + 1] << 8 : 0)));
    static const std::wstring group = L"0*([0-9]{0,2}|1[0-9]{2}|2[0-4][0-9]|25[0-5])";
    static const std::wregex address(L"((?=[0-9])" + group + L"\\." + group + L"\\." + group +
                                     L"\\.(?=[0-9])" + group + L")?");
    if (network::IsValidIPAddress(text) != std::regex_match(text, address)) std::abort();
    return 0;
}
