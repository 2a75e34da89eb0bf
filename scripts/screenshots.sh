#!/usr/bin/env bash
# Regenerates docs/screenshots/: a PNG of every window of the program under
# Wine and Xvfb at 96 DPI, and of the main menu at 144 DPI. The layout check
# builds every window with the real Win32 layer over a fake server (features,
# accounts, a network connection) and saves what the screen shows inside each
# window's rectangle; Wine draws the frames itself, as there is no window
# manager.
#   scripts/screenshots.sh [BUILD_DIR]    (default build/mingw-x64, built first)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh
root=$PWD
if [ -z "${1:-}" ]; then
    cmake --preset mingw-x64 >/dev/null
    cmake --build build/mingw-x64 --target wine_layout_tests -j "$(nproc)"
fi
build=$(cd "${1:-build/mingw-x64}" && pwd)
out="$root/docs/screenshots"
command -v convert >/dev/null || { echo "convert (imagemagick) is missing" >&2; exit 1; }

quillon_wine_prefix "${WINEPREFIX:-$build/wineprefix}"
quillon_display
pictures=$(mktemp -d /tmp/quillon-shots.XXXXXX)
trap 'rm -rf "$pictures"' EXIT
QUILLON_SCREENSHOTS="$(winepath -w "$pictures")" \
    wine "$build/tests/wine/wine_layout_tests.exe" --gtest_brief=1

mkdir -p "$out"
save() {  # $1: form and resolution, $2: file name
    convert "$pictures/$1.bmp" "$out/$2"
    echo "$2: $(identify -format '%wx%h' "$out/$2")"
}
save frmUI-96 main-menu.png
save frmAbout-96 about.png
save frmWinRM-96 winrm.png
save frmFirewall-96 firewall.png
save frmTS-96 remote-desktop.png
save frmDisplayResolution-96 display.png
save frmRoles-96 features.png
save frmDcpromo-96 dcpromo.png
save frmComputerName-96 computer-name.png
save frmCredentials-96 credentials.png
save frmNetworkSettings-96 network.png
save frmAccountMgmt-96 accounts.png
save frmNewUser-96 new-user.png
save frmChangePassword-96 set-password.png
save frmUI-144 main-menu-144dpi.png
