#!/usr/bin/env bash
# Checks a built quillon.exe for its machine type and its imports and, given
# the end-to-end test executable, runs the main menu's smoke test against it.
#   tests/check-executable.sh <quillon.exe> <x64|x86> [e2e_tests.exe]
set -euo pipefail
usage="usage: check-executable.sh <quillon.exe> <x64|x86> [e2e_tests.exe]"
exe=${1:?$usage}
arch=${2:?$usage}
e2e=${3:-}
here=$(dirname "$0")
objdump=x86_64-w64-mingw32-objdump

case "$arch" in
    x64) expected="i386:x86-64" ;;
    x86) expected="i386" ;;
    *) echo "unknown machine type $arch" >&2; exit 2 ;;
esac
actual=$("$objdump" -f "$exe" | sed -n 's/^architecture: \([^,]*\),.*/\1/p')
if [ "$actual" != "$expected" ]; then
    echo "FAIL $exe: machine type '$actual', expected '$expected'" >&2
    exit 1
fi
echo "ok      machine type $actual"
"$here/check-imports.sh" "$exe" "$objdump"

[ -n "$e2e" ] || exit 0
# 32-bit programs need the 32-bit Wine loader (Debian: wine32); where the
# kernel runs no 32-bit code, it runs through qemu-i386 (binfmt_misc).
if [ "$arch" = x86 ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "FAIL $exe: 32-bit Wine cannot run here (/usr/lib/wine/wine --version fails)." >&2
    echo "     Install wine32:i386, and qemu-user-static registered with binfmt_misc where the" >&2
    echo "     kernel runs no 32-bit code (scripts/install-deps.sh does both)." >&2
    exit 1
fi
QUILLON_EXE="$exe" wine "$e2e" --gtest_filter='MainMenu*' --gtest_brief=1
