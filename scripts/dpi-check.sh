#!/usr/bin/env bash
# Every window at 144 DPI against the same window at 96 DPI: the layout is
# recorded in the build's Wine prefix (96 DPI), then compared in a copy of it
# whose LogPixels is 144 (Wine reads it when its server starts, so the copy
# has a server of its own); no caption may be clipped at either resolution.
#   scripts/dpi-check.sh [BUILD_DIR]      (default build/mingw-x64)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh
build=$(cd "${1:-build/mingw-x64}" && pwd)

quillon_wine_prefix "${WINEPREFIX:-$build/wineprefix}"
base_prefix=$WINEPREFIX
quillon_display
export QUILLON_EXE=${QUILLON_EXE:-$build/win32/quillon.exe}
export QUILLON_STANDINS=${QUILLON_STANDINS:-$build/tests/e2e/standins}

prefix144=$(quillon_dpi144_prefix "$build" "$base_prefix")

layout=$(mktemp /tmp/quillon-layout-96.XXXXXX)
trap 'rm -f "$layout"; WINEPREFIX="$prefix144" wineserver -k 2>/dev/null || true' EXIT
tests="$build/tests/e2e/e2e_tests.exe"

echo "== 96 DPI: record the layout"
QUILLON_DPI_RECORD="$(winepath -w "$layout")" WINEPREFIX="$base_prefix" \
    wine "$tests" --gtest_filter='Dpi.*' --gtest_brief=1
echo "== 144 DPI: compare"
QUILLON_DPI_REFERENCE="$(winepath -w "$layout")" WINEPREFIX="$prefix144" \
    wine "$tests" --gtest_filter='Dpi.*' --gtest_brief=1
