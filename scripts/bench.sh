#!/usr/bin/env bash
# Runs every benchmark (bench/) and prints its figures beside their baselines:
# the Windows ones under Wine (scripts/bench-foundation.sh: start-up, the
# runner, the console capture, opening Features and Account Management, the
# size of quillon.exe) and the native ones (feature list at 10,000 and 100,000
# lines, local account listing at 5,000 and 50,000 accounts).
# Figures only; nothing here fails on a slow machine.
set -euo pipefail
cd "$(dirname "$0")/.."

echo "== native benchmarks (Release, no sanitizers)" >&2
if [ ! -f build/bench-native/CMakeCache.txt ]; then
    cmake -S . -B build/bench-native -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLON_SANITIZE=OFF \
        -DQUILLON_TESTS=OFF >/dev/null
fi
cmake --build build/bench-native --target bench_features bench_accounts -j 2 >/dev/null
features=$(build/bench-native/bench/bench_features || true)
accounts=$(build/bench-native/bench/bench_accounts || true)

echo "== Windows benchmarks under Wine" >&2
foundation=$(scripts/bench-foundation.sh || true)

echo
echo "$foundation"
echo
echo "feature list, parsing and building the tree (processor seconds, best of 5):"
echo "$features"
echo
echo "local accounts listing:"
echo "$accounts"
