// A stand-in for the feature-listing tool (oclist.exe, oclist64.exe) for the
// benchmarks: prints the listing of 1,000 features that the Features window
// reads, line by line, as a console tool does.
#include <windows.h>

#include <string>

#include "bench/FeatureListing.h"

int main() {
    const std::wstring listing = bench::MakeFeatureListing(1000);
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    for (std::size_t at = 0; at < listing.size();) {
        const std::size_t end = listing.find(L'\n', at) + 1;
        const std::string line(listing.begin() + at, listing.begin() + end);  // ASCII
        DWORD written = 0;
        if (!::WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr))
            return 1;
        at = end;
    }
    return 0;
}
