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
    # Wine, 64-bit and 32-bit, and an X server without a screen; qemu's
    # user-mode emulator runs 32-bit Wine where the kernel runs no 32-bit code
    wine wine64 wine32:i386 xvfb x11-utils qemu-user-static
    # fonts: DejaVu Sans stands in for Verdana and the dialog fonts in the test
    # prefix; Wine's own fonts give it Marlett for the title-bar buttons
    fonts-dejavu-core fonts-wine
    # screenshots and packages
    imagemagick zip
)

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

install_missing() {
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        echo "Adding the i386 architecture to dpkg (for wine32:i386)"
        $SUDO dpkg --add-architecture i386
    fi
    echo "Installing: $*"
    $SUDO apt-get update -qq
    if ! DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
            "$@" >/dev/null; then
        echo "install-deps: apt-get could not install: $*" >&2
        case " $* " in
            *" wine32:i386 "*)
                echo "install-deps: the x86 smoke test needs 32-bit Wine (wine32:i386) from the" \
                     "i386 architecture; check that this machine's package sources carry it" >&2 ;;
        esac
        exit 1
    fi
}

# Some virtual machines and sandboxes run no 32-bit code at all: there the
# kernel is told to hand 32-bit programs (wine32's loader) to qemu's user-mode
# emulator. binfmt_misc forgets that at the next boot, so it is checked every time.
register_32bit_emulator() {
    /usr/lib/wine/wine --version >/dev/null 2>&1 && return 0
    local fs=/proc/sys/fs/binfmt_misc
    [ -e "$fs/register" ] || $SUDO mount -t binfmt_misc binfmt_misc "$fs" || return 0
    [ -e "$fs/qemu-i386" ] && return 0
    echo "This kernel runs no 32-bit programs: registering qemu-i386-static to run them"
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' |
        $SUDO tee "$fs/register" >/dev/null || true
}

missing=()
for p in "${packages[@]}"; do
    installed "$p" || missing+=("$p")
done
((${#missing[@]} == 0)) || install_missing "${missing[@]}"
register_32bit_emulator
