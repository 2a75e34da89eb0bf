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

# The 144 DPI prefix of scripts/dpi-check.sh, made here when missing.
prefix144="$build/wineprefix-144dpi"
if [ ! -f "$prefix144/.dpi-144" ]; then
    rm -rf "$prefix144"
    cp -a "$base_prefix" "$prefix144"
    WINEPREFIX="$prefix144" wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
    WINEPREFIX="$prefix144" wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
        /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
    WINEPREFIX="$prefix144" wineserver -k || true
    touch "$prefix144/.dpi-144"
fi

# Windows that Wine does not hand to a window manager get a frame drawn by
# Wine; the previous setting is put back at the end.
managed_key='HKCU\Software\Wine\X11 Driver'
managed_of() { WINEPREFIX="$1" wine reg query "$managed_key" /v Managed 2>/dev/null | awk '/Managed/ {print $3}' | tr -d '\r' || true; }
set_managed() {  # $1: prefix, $2: value, or empty to remove it
    if [ -n "$2" ]; then
        WINEPREFIX="$1" wine reg add "$managed_key" /v Managed /d "$2" /f >/dev/null 2>&1
    else
        WINEPREFIX="$1" wine reg delete "$managed_key" /v Managed /f >/dev/null 2>&1 || true
    fi
}
managed96=$(managed_of "$base_prefix")
managed144=$(managed_of "$prefix144")
pictures=$(mktemp -d /tmp/quillon-shots.XXXXXX)
cleanup() {
    set_managed "$base_prefix" "$managed96"
    set_managed "$prefix144" "$managed144"
    WINEPREFIX="$prefix144" wineserver -k 2>/dev/null || true
    rm -rf "$pictures"
}
trap cleanup EXIT
set_managed "$base_prefix" N
set_managed "$prefix144" N

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
