#!/usr/bin/env bash
# Fuzzes network::IsValidIPAddress for a bounded time (default 60 s) with
# clang's libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer. Not part
# of the normal test run.
#   scripts/fuzz-ip.sh [seconds]      (build folder: $QUILLON_FUZZ_BUILD, default build/fuzz)
# Crashes and disagreements with the reference reading are written to
# build/fuzz/findings/fuzz_ip_address/ and make the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=${QUILLON_FUZZ_BUILD:-build/fuzz}
target=fuzz_ip_address
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUILLON_FUZZ=ON -DQUILLON_SANITIZE=ON >/dev/null
cmake --build "$build" --target "$target" -j 2
corpus="$build/corpus/$target"
findings="$build/findings/$target"
mkdir -p "$corpus" "$findings"
seeds=()
[ -d "tests/fuzz/seeds/$target" ] && seeds=("tests/fuzz/seeds/$target")
"$build/tests/$target" -max_total_time="$seconds" -max_len=256 -artifact_prefix="$findings/" \
    -print_final_stats=1 "$corpus" "${seeds[@]}"
