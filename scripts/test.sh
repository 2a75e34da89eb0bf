#!/usr/bin/env bash
# Builds everything and runs every test: native (ASan+UBSan), Windows-side
# under Wine (with the layout check at 96 and 144 DPI), end to end under Wine
# and Xvfb, and the x86 executable's smoke test under 32-bit Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh
jobs=$(nproc)

echo "== native build and tests"
cmake --preset native >/dev/null
cmake --build build/native -j "$jobs"
ctest --test-dir build/native --output-on-failure -j "$jobs"

echo "== x64 Windows build"
cmake --preset mingw-x64 >/dev/null
cmake --build build/mingw-x64 -j "$jobs"

echo "== x86 Windows build"
cmake --preset mingw-x86 >/dev/null
cmake --build build/mingw-x86 --target quillon -j "$jobs"

echo "== Windows-side and end-to-end tests under Wine"
quillon_wine_prefix "$PWD/build/mingw-x64/wineprefix"
quillon_display
ctest --test-dir build/mingw-x64 --output-on-failure

echo "== x86 executable: machine type, imports and the end-to-end smoke test"
tests/check-executable.sh build/mingw-x86/win32/quillon.exe x86 build/mingw-x64/tests/e2e/e2e_tests.exe
