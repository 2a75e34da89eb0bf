#!/usr/bin/env bash
# Opens and closes the windows of the real program ROUNDS times (default 200)
# in one process under Wine and Xvfb, and fails when its kernel handles, GDI
# objects or windows grew by 2 % or more: the end-to-end keyboard test, with
# more rounds than its usual two. A long check, outside scripts/test.sh.
#   scripts/soak.sh [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh
cmake --preset mingw-x64 >/dev/null
cmake --build build/mingw-x64 --target e2e_tests -j "$(nproc)"
quillon_wine_prefix "$PWD/build/mingw-x64/wineprefix"
quillon_display
SECONDS=0
QUILLON_EXE="$PWD/build/mingw-x64/win32/quillon.exe" QUILLON_SOAK_ROUNDS="${1:-200}" \
    wine build/mingw-x64/tests/e2e/e2e_tests.exe --gtest_filter='Keyboard.*' --gtest_brief=1
echo "the soak of ${1:-200} rounds took $SECONDS s"
