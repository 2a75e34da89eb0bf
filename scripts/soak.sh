#!/usr/bin/env bash
# Opens and closes every window of the real program ROUNDS times (default
# 200) under Wine and Xvfb, and prints the program's kernel handles, GDI
# objects and windows before and after; fails when one grew by 2 % or more.
#   scripts/soak.sh [ROUNDS]
#   QUILLON_SOAK_PER_WINDOW=1 scripts/soak.sh 10   # handles gained per window
# BUILD_DIR selects the Windows build (default build/mingw-x64).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh
rounds=${1:-200}
build=${BUILD_DIR:-build/mingw-x64}

if [ -z "${BUILD_DIR:-}" ]; then
    cmake --preset mingw-x64 >/dev/null
fi
cmake --build "$build" --target quillon e2e_tests -j "$(nproc)"

quillon_wine_prefix "$PWD/$build/wineprefix"
quillon_display
export QUILLON_EXE="$PWD/$build/win32/quillon.exe"
export QUILLON_STANDINS="$PWD/$build/tests/e2e/standins"
export QUILLON_SOAK_ROUNDS="$rounds"
start=$(date +%s)
wine "$build/tests/e2e/e2e_tests.exe" --gtest_filter=SoakTest.ShortSoak
echo "soak of $rounds rounds took $(($(date +%s) - start)) s"
