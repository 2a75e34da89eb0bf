#!/usr/bin/env bash
# Regenerates docs/screenshots/: a PNG of every window of the program under
# Wine and Xvfb at 96 DPI, and of the main menu at 144 DPI, each cropped to
# its window. The end-to-end driver opens the windows (the DPI test, which
# also reaches the credentials prompt through Computer Name) and saves what
# the screen shows inside each window's rectangle; Wine draws the frames
# itself, as there is no window manager.
#   scripts/screenshots.sh [BUILD_DIR]    (default build/mingw-x64, built first)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh
root=$PWD
if [ -z "${1:-}" ]; then
    cmake --preset mingw-x64 >/dev/null
    cmake --build build/mingw-x64 --target quillon e2e_tests -j "$(nproc)"
fi
build=$(cd "${1:-build/mingw-x64}" && pwd)
out="$root/docs/screenshots"
command -v convert >/dev/null || { echo "convert (imagemagick) is missing" >&2; exit 1; }

quillon_wine_prefix "${WINEPREFIX:-$build/wineprefix}"
base_prefix=$WINEPREFIX
quillon_display
export QUILLON_EXE=${QUILLON_EXE:-$build/win32/quillon.exe}
export QUILLON_STANDINS=${QUILLON_STANDINS:-$build/tests/e2e/standins}
tests="$build/tests/e2e/e2e_tests.exe"

prefix144=$(quillon_dpi144_prefix "$build" "$base_prefix")

pictures=$(mktemp -d /tmp/quillon-shots.XXXXXX)
cleanup() {
    WINEPREFIX="$prefix144" wineserver -k 2>/dev/null || true
    rm -rf "$pictures"
}
trap cleanup EXIT

mkdir -p "$pictures/96" "$pictures/144"
QUILLON_SCREENSHOTS="Z:${pictures//\//\\}\\96" WINEPREFIX="$base_prefix" \
    wine "$tests" --gtest_filter='Dpi.*' --gtest_brief=1
QUILLON_SCREENSHOTS="Z:${pictures//\//\\}\\144" WINEPREFIX="$prefix144" \
    wine "$tests" --gtest_filter='Dpi.*' --gtest_brief=1

mkdir -p "$out"
save() {  # $1: folder, $2: form, $3: file name
    convert "$pictures/$1/$2.bmp" "$out/$3"
    echo "$3: $(identify -format '%wx%h' "$out/$3")"
}
save 96 frmUI main-menu.png
save 96 frmAbout about.png
save 96 frmWinRM winrm.png
save 96 frmFirewall firewall.png
save 96 frmTS remote-desktop.png
save 96 frmDisplayResolution display.png
save 96 frmRoles features.png
save 96 frmDcpromo dcpromo.png
save 96 frmComputerName computer-name.png
save 96 frmCredentials credentials.png
save 96 frmNetworkSettings network.png
save 96 frmAccountMgmt accounts.png
save 96 frmNewUser new-user.png
save 96 frmChangePassword set-password.png
save 144 frmUI main-menu-144dpi.png
