#!/usr/bin/env bash
# The Windows benchmarks under Wine, printed as a table (figures only, nothing
# asserted), each beside its baseline measured in the same run:
#  - start-up of quillon.exe against a bare Win32 window built the same way,
#    median of 20 starts each, the ratio with its quartiles; and a bare window
#    with Quillon's manifest, comctl32 and uxtheme, which splits the ratio into
#    what loading those costs and what Quillon's own windows cost (goal 1.2);
#  - the command runner capturing 10 MB and 50 MB against a bare loop of
#    64 KB ReadFile calls on the same child (goal 1.25, and time per byte flat);
#  - the console capture's processor time while waiting for a silent child;
#  - opening Features with a 1,000-line listing from a stand-in tool, against
#    the tool alone, and Account Management with 5,000 users, against a bare
#    list box given the same names;
#  - the size of quillon.exe (goal 2 MB).
# The machine's load shows in every time; the ratios compare runs made side by
# side, so they are steadier than the times.
#   scripts/bench-foundation.sh [build folder, default build/bench-foundation]
# QUILLON_BENCH_PARTS=startup measures the start-up alone (a quicker way to
# compare changes to it); QUILLON_BENCH_STARTS sets its rounds (20).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh
build=${1:-build/bench-foundation}
rounds=${QUILLON_BENCH_STARTS:-20}
parts=${QUILLON_BENCH_PARTS:-all}
case "$parts" in all | startup) ;; *) echo "QUILLON_BENCH_PARTS: all or startup" >&2; exit 2 ;; esac

echo "== building quillon.exe and the benchmarks in $build (MinSizeRel)" >&2
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja --toolchain cmake/mingw-w64-x86_64.cmake \
        -DCMAKE_BUILD_TYPE=MinSizeRel -DQUILLON_TESTS=OFF >/dev/null
fi
targets=(quillon bench_bare_window bench_bare_window_styled bench_startup)
[ "$parts" = all ] && targets+=(bench_runner bench_console bench_windows bench_oclist)
cmake --build "$build" -j 2 --target "${targets[@]}" >/dev/null
bench="$build/bench"
if [ "$parts" = all ]; then
    cp "$bench/bench_oclist.exe" "$bench/oclist.exe"
    cp "$bench/bench_oclist.exe" "$bench/oclist64.exe"
fi

# A prefix of this build folder's own; the test build's, when there is one, is
# copied rather than made again (which takes minutes).
if [ ! -d "$build/wineprefix" ] && [ -f build/mingw-x64/wineprefix/.quillon-prefix ]; then
    cp -a build/mingw-x64/wineprefix "$build/wineprefix"
fi
quillon_wine_prefix "$PWD/$build/wineprefix"
quillon_display

win() { winepath -w "$1"; }
quillon="$build/win32/quillon.exe"
echo "== measuring under Wine on display $DISPLAY (start-up: $rounds rounds)" >&2
results=$(
    wine "$bench/bench_startup.exe" "$rounds" quillon "$(win "$quillon")" "Quillon by Varnholt" \
        styled "$(win "$bench/bench_bare_window_styled.exe")" "Bare Window" \
        bare "$(win "$bench/bench_bare_window.exe")" "Bare Window"
    if [ "$parts" = all ]; then
        wine "$bench/bench_runner.exe" 9
        wine "$bench/bench_console.exe" 2
        wine "$bench/bench_windows.exe" 7
    fi
)
results=$(printf '%s\n' "$results" | tr -d '\r')
value() { printf '%s\n' "$results" | awk -v k="$1" -v f="${2:-2}" '$1 == k { print $f }'; }
spread() { printf '%s–%s' "$(value "$1" 3)" "$(value "$1" 4)"; }
size=$(stat -c %s "$quillon")

row() { printf '%-42s %12s %12s %8s %11s %8s\n' "$@"; }
echo
row measure quillon baseline ratio "quartiles" goal
row "start-up to an idle main window (ms)" "$(value startup_quillon_ms)" \
    "$(value startup_bare_ms)" "$(value startup_quillon_vs_bare)" "$(spread startup_quillon_vs_bare)" \
    "<= 1.2"
row "  of which loading DLLs, manifest (ms)" "$(value startup_styled_ms)" \
    "$(value startup_bare_ms)" "$(value startup_styled_vs_bare)" "$(spread startup_styled_vs_bare)" ""
row "  of which Quillon's own windows (ms)" "$(value startup_quillon_ms)" \
    "$(value startup_styled_ms)" "$(value startup_quillon_vs_styled)" \
    "$(spread startup_quillon_vs_styled)" ""
if [ "$parts" = startup ]; then
    wineserver -k 2>/dev/null || true
    exit 0
fi
row "runner, 10 MB vs bare 64 KB reads (s)" "$(value runner_captured_10mb_s)" \
    "$(value runner_bare_10mb_s)" "$(value runner_ratio_10mb)" "$(spread runner_ratio_10mb)" "<= 1.25"
row "runner, 50 MB vs bare 64 KB reads (s)" "$(value runner_captured_50mb_s)" \
    "$(value runner_bare_50mb_s)" "$(value runner_ratio_50mb)" "$(spread runner_ratio_50mb)" "<= 1.25"
row "runner, time per byte 50 MB vs 10 MB" "" "" "$(value runner_per_byte_50_vs_10)" "" "~1.00"
row "  bare loop, time per byte 50 vs 10 MB" "" "" "$(value runner_bare_per_byte_50_vs_10)" "" ""
row "console capture, CPU s per s waited" "$(value console_wait_cpu_s)" \
    "$(value console_wait_wall_s)" "$(value console_wait_cpu_ratio)" "" "< 0.1"
row "Features, 1,000 features vs tool (ms)" "$(value features_open_ms)" \
    "$(value features_tool_alone_ms)" "$(value features_ratio)" "" ""
row "Accounts, 5,000 users vs list box (ms)" "$(value accounts_open_ms)" \
    "$(value accounts_bare_list_box_ms)" "$(value accounts_ratio)" "" ""
row "size of quillon.exe (MB)" "$(awk -v s="$size" 'BEGIN { printf "%.2f", s / 1048576 }')" \
    "2.00" "$(awk -v s="$size" 'BEGIN { printf "%.2f", s / 2097152 }')" "" "<= 1.0"
wineserver -k 2>/dev/null || true
