#!/usr/bin/env bash
# Builds every fuzz target in tests/fuzz with clang, libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer, and runs each for a bounded time.
#   scripts/fuzz.sh [seconds per target, default 60] [target name ...]
# Seeds come from tests/fuzz/seeds/<target>/ when present; crashes are written
# to build/fuzz/findings/<target>/ and make the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
build=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUILLON_FUZZ=ON -DQUILLON_SANITIZE=ON >/dev/null
cmake --build "$build" -j "$(nproc)"
targets=("$@")
if ((${#targets[@]} == 0)); then
    for f in tests/fuzz/*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi
status=0
printf '%-28s %10s %8s\n' target executions result
for t in "${targets[@]}"; do
    corpus="$build/corpus/$t"
    findings="$build/findings/$t"
    mkdir -p "$corpus" "$findings"
    seeds=()
    [ -d "tests/fuzz/seeds/$t" ] && seeds=("tests/fuzz/seeds/$t")
    log="$build/$t.log"
    if "$build/tests/$t" -max_total_time="$seconds" -artifact_prefix="$findings/" \
        -print_final_stats=1 "$corpus" "${seeds[@]}" >"$log" 2>&1; then
        result=clean
    else
        result=FINDING
        status=1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    printf '%-28s %10s %8s\n' "$t" "${runs:-?}" "$result"
done
exit $status
