#!/usr/bin/env bash
# Runs every benchmark and prints their figures with their baselines:
# start-up against a bare window, the runner against writing to NUL, the
# console capture's processor time while waiting, feature parsing at 10,000
# and 100,000 lines, local account listing, and the executable's size.
# Figures only; nothing here fails on a slow machine.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

echo "== native benchmarks (Release, no sanitizers)" >&2
cmake -S . -B build/bench-native -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLON_SANITIZE=OFF >/dev/null
cmake --build build/bench-native --target bench_features bench_accounts -j "$jobs" >/dev/null
features=$(build/bench-native/tests/bench_features || true)
accounts=$(build/bench-native/tests/bench_accounts || true)

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
