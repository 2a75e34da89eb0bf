#!/usr/bin/env bash
# Foundation benchmarks, printed as a table (figures only, nothing asserted):
#  - start-up: quillon.exe against a bare Win32 window program built the same
#    way, both started in the same run under Wine (goal: ratio <= 1.2);
#  - command runner: 50 MB captured through the pipe against the same child
#    writing into NUL (goal: ratio <= 1.25), and 10 MB against 50 MB
#    (linearity, 1.00 = linear);
#  - console capture: processor time while waiting 2 s for a silent child,
#    against the time waited (a polling loop would use all of it);
#  - size of quillon.exe (goal: <= 2 MB).
# The machine's load shows in every figure; the ratios compare runs made
# side by side, so they are steadier than the times.
#   scripts/bench-foundation.sh [build folder, default build/bench-foundation]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh
build=${1:-build/bench-foundation}
cxx=x86_64-w64-mingw32-g++-posix
# The same flags as the program's MinSizeRel build.
flags=(-std=c++20 -Os -DNDEBUG -DUNICODE -D_UNICODE -D_WIN32_WINNT=0x0600 -DWINVER=0x0600
       -DNOMINMAX -DWIN32_LEAN_AND_MEAN -static -static-libgcc -static-libstdc++ -s -I. -I"$build/generated")

echo "== building quillon.exe and the benchmark programs in $build" >&2
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja --toolchain cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
fi
cmake --build "$build" --target quillon -j 2 >/dev/null
bench="$build/bench"
mkdir -p "$bench"
$cxx "${flags[@]}" -municode -mwindows tests/bench/win32/bare_window.cpp -o "$bench/bare_window.exe"
$cxx "${flags[@]}" -municode tests/bench/win32/startup_bench.cpp -o "$bench/startup_bench.exe"
$cxx "${flags[@]}" tests/bench/win32/runner_bench.cpp win32/Win32CommandRunner.cpp sysaccess/CmdOutput.cpp \
    sysaccess/VbError.cpp -o "$bench/runner_bench.exe"
$cxx "${flags[@]}" -municode tests/bench/win32/console_bench.cpp win32/Win32ConsoleCapture.cpp \
    sysaccess/VbError.cpp -o "$bench/console_bench.exe"

if [ -d /tmp/wp/main ] && [ ! -f "$build/wineprefix/system.reg" ]; then
    cp -a /tmp/wp/main "$build/wineprefix"
fi
quillon_wine_prefix "$PWD/$build/wineprefix"
quillon_display

quillon="$build/win32/quillon.exe"
echo "== measuring (under Wine, display $DISPLAY)" >&2
results=$(
    wine "$bench/startup_bench.exe" "$(winepath -w "$quillon")" "$(winepath -w "$bench/bare_window.exe")" 15
    wine "$bench/runner_bench.exe" 3
    wine "$bench/console_bench.exe" 2
)
results=$(printf '%s\n' "$results" | tr -d '\r')
value() { printf '%s\n' "$results" | awk -v k="$1" '$1 == k { print $2 }'; }
size=$(stat -c %s "$quillon")
size_mb=$(awk -v s="$size" 'BEGIN { printf "%.2f", s / 1048576 }')
size_ratio=$(awk -v s="$size" 'BEGIN { printf "%.2f", s / 2097152 }')

printf '\n%-34s %14s %14s %8s %8s\n' measure quillon baseline ratio goal
printf '%-34s %14s %14s %8s %8s\n' "start-up to idle window (ms)" "$(value startup_quillon_ms)" \
    "$(value startup_bare_ms)" "$(value startup_ratio)" "<= 1.2"
printf '%-34s %14s %14s %8s %8s\n' "runner, 50 MB captured vs NUL (s)" "$(value runner_captured_50mb_s)" \
    "$(value runner_nul_50mb_s)" "$(value runner_ratio_50mb)" "<= 1.25"
printf '%-34s %14s %14s %8s %8s\n' "runner, 10 MB captured vs NUL (s)" "$(value runner_captured_10mb_s)" \
    "$(value runner_nul_10mb_s)" "" ""
printf '%-34s %14s %14s %8s %8s\n' "runner, time per byte 50 vs 10 MB" "" "" "$(value runner_linearity)" "~1.00"
printf '%-34s %14s %14s %8s %8s\n' "runner throughput (MB/s)" "$(value runner_captured_mb_per_s)" "" "" ""
printf '%-34s %14s %14s %8s %8s\n' "console capture, CPU s per s waited" "$(value console_wait_cpu_s)" \
    "$(value console_wait_wall_s)" "$(value console_wait_cpu_ratio)" "< 0.1"
printf '%-34s %14s %14s %8s %8s\n' "size of quillon.exe (MB)" "$size_mb" "2.00" "$size_ratio" "<= 1.0"
wineserver -k 2>/dev/null || true
