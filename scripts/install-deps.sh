#!/usr/bin/env bash
# Installs, on Debian, every package that building Quillon, its tests, its
# screenshots and its benchmarks use, if missing. 32-bit Wine (wine32:i386)
# runs the x86 executable's smoke test; it needs the i386 architecture, which
# this script adds to dpkg when it is not there yet.
set -euo pipefail
packages=(
    # the build and the native tests
    cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev libgmock-dev python3
    # the Windows builds
    mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64
    # Wine, 64-bit and 32-bit, and an X server without a screen
    wine wine64 wine32:i386 xvfb x11-utils
    # fonts: DejaVu Sans stands in for Verdana and the dialog fonts in the test
    # prefix; Wine's own fonts give it Marlett for the title-bar buttons
    fonts-dejavu-core fonts-wine
    # screenshots and packages
    imagemagick zip
)

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

missing=()
for p in "${packages[@]}"; do
    installed "$p" || missing+=("$p")
done
((${#missing[@]})) || exit 0

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "Adding the i386 architecture to dpkg (for wine32:i386)"
    $SUDO dpkg --add-architecture i386
fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
if ! DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null; then
    echo "install-deps: apt-get could not install: ${missing[*]}" >&2
    case " ${missing[*]} " in
        *" wine32:i386 "*)
            echo "install-deps: the x86 smoke test needs 32-bit Wine (wine32:i386) from the i386" \
                 "architecture; check that this machine's package sources carry i386 packages" >&2 ;;
    esac
    exit 1
fi
