// Parsing the feature-listing tool's output and building the tree: time for
// 100,000 lines against 10,000 lines in the same process. Growth should be
// linear (ratio at most 12) and 100,000 lines should take under a second.
#include <malloc.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/FeatureListing.h"
#include "features/FeatureList.h"
#include "tests/fakes/TestShell.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace {

class TreeHolder : public ui::Form {
  public:
    explicit TreeHolder(ui::Shell& shell) : ui::Form(shell, L"frmBench") {
        tree = &Add<ui::TreeView>(L"tvwBench");
    }
    ui::TreeView* tree;
};

// Processor time of this thread: the machine is shared, and wall time would
// charge the longer run for every time another process is scheduled.
double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Best of several rounds; each round builds into a fresh, empty tree and map
// (making and dropping them is not timed), as a window's first load does.
double SecondsToParse(const std::wstring& listing, int rounds, int& nodes) {
    fakes::TestShell shell;
    double best = 1e9;
    for (int r = 0; r < rounds; ++r) {
        auto form = std::make_shared<TreeHolder>(shell);
        features::FeatureStateMap states;
        const double start = ThreadSeconds();
        features::BuildFeatureTree(listing, *form->tree, states);
        best = std::min(best, ThreadSeconds() - start);
        nodes = form->tree->Count();
    }
    return best;
}

// Ten lists of `lines` each, built one after another into ten trees that are
// all kept: the same amount of memory in use at the end as one list ten times
// as long, so that the processor caches favour neither side.
double SecondsToParseTenKept(const std::wstring& listing, int rounds) {
    fakes::TestShell shell;
    double best = 1e9;
    for (int r = 0; r < rounds; ++r) {
        std::vector<std::shared_ptr<TreeHolder>> forms;
        std::vector<features::FeatureStateMap> states(10);
        for (int i = 0; i < 10; ++i) forms.push_back(std::make_shared<TreeHolder>(shell));
        const double start = ThreadSeconds();
        for (int i = 0; i < 10; ++i)
            features::BuildFeatureTree(listing, *forms[i]->tree, states[i]);
        best = std::min(best, ThreadSeconds() - start);
    }
    return best;
}

// The grammar alone: splitting the output and reading every line.
double SecondsToReadLines(const std::wstring& listing, int rounds) {
    double best = 1e9;
    for (int r = 0; r < rounds; ++r) {
        const double start = ThreadSeconds();
        int depths = 0;
        for (std::wstring_view line : features::SplitOutputLines(listing))
            if (auto feature = features::ReadFeatureLine(line)) depths += feature->depth;
        best = std::min(best, ThreadSeconds() - start);
        if (depths == 0) std::printf("no feature lines\n");
    }
    return best;
}

}  // namespace

int main() {
    // Keep freed memory in the process: otherwise only the large run pays for
    // fresh pages from the kernel in every round, which measures the
    // allocator's trimming policy rather than the parser.
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    const std::wstring small = bench::MakeFeatureListing(10000);
    const std::wstring large = bench::MakeFeatureListing(100000);
    int smallNodes = 0;
    int largeNodes = 0;
    SecondsToParse(large, 1, largeNodes);  // warm-up: the heap grows once
    const double smallRead = SecondsToReadLines(small, 5);
    const double largeRead = SecondsToReadLines(large, 5);
    const double smallSeconds = SecondsToParse(small, 5, smallNodes);
    const double largeSeconds = SecondsToParse(large, 5, largeNodes);
    const double tenSmallSeconds = SecondsToParseTenKept(small, 5);
    const double ratio = largeSeconds / smallSeconds;
    std::printf("best of 5, processor seconds\n");
    std::printf("feature lines   nodes   grammar only   tree and map\n");
    std::printf("%13d  %6d  %13.4f  %13.4f\n", 10000, smallNodes, smallRead, smallSeconds);
    std::printf("%13d  %6d  %13.4f  %13.4f\n", 100000, largeNodes, largeRead, largeSeconds);
    std::printf(
        "ratio 100,000 / 10,000 lines: grammar %.2f, tree and map %.2f "
        "(linear is 10, limit 12)\n",
        largeRead / smallRead, ratio);
    std::printf(
        "10 x 10,000 lines into 10 trees kept: %.4f s; 100,000 lines take %.2f times as "
        "long (1.0 when the cost per line does not grow with the list)\n",
        tenSmallSeconds, largeSeconds / tenSmallSeconds);
    const bool linear = ratio <= 12.0;
    const bool fast = largeSeconds < 1.0;
    std::printf("linear: %s, 100,000 lines under 1 s: %s\n", linear ? "yes" : "NO",
                fast ? "yes" : "NO");
    return linear && fast ? 0 : 1;
}
