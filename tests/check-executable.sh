#!/usr/bin/env bash
# Checks a built quillon.exe for its machine type and its imports, and, where
# Wine can run that machine type, runs the main menu's end-to-end smoke test
# against it.
#   tests/check-executable.sh <quillon.exe> <x64|x86> [e2e_tests.exe]
set -euo pipefail
exe=${1:?usage: check-executable.sh <quillon.exe> <x64|x86> [e2e_tests.exe]}
arch=${2:?usage: check-executable.sh <quillon.exe> <x64|x86> [e2e_tests.exe]}
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

# 32-bit programs need the 32-bit Wine loader (Debian: wine32), which a
# 64-bit-only installation lacks.
if [ -n "$e2e" ]; then
    if [ "$arch" = x64 ] || [ -x /usr/lib/wine/wine ]; then
        QUILLON_EXE="$exe" wine "$e2e" --gtest_filter='MainMenu*' --gtest_brief=1
    else
        echo "skipped the end-to-end smoke test: this Wine cannot run $arch programs"
    fi
fi
