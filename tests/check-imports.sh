#!/usr/bin/env bash
# Fails unless the executable imports only DLLs that ship with Windows: no
# compiler runtime (libstdc++, libgcc, winpthread) or other third-party DLL.
#   tests/check-imports.sh <program.exe> [objdump]
# objdump defaults to $OBJDUMP or x86_64-w64-mingw32-objdump (which reads
# 32-bit and 64-bit executables alike).
set -euo pipefail
exe=${1:?usage: check-imports.sh <program.exe> [objdump]}
objdump=${2:-${OBJDUMP:-x86_64-w64-mingw32-objdump}}

system_dlls=" kernel32 user32 gdi32 advapi32 comctl32 comdlg32 ole32 oleaut32 netapi32 iphlpapi "
system_dlls+=" shell32 shlwapi msvcrt uxtheme version ws2_32 rpcrt4 secur32 crypt32 userenv "
system_dlls+=" wtsapi32 dnsapi mpr winmm ntdll bcrypt setupapi powrprof "

imports=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' | tr -d '\r') || {
    echo "cannot read the imports of $exe" >&2
    exit 1
}
if [ -z "$imports" ]; then
    echo "no imports found in $exe (not a PE executable?)" >&2
    exit 1
fi
status=0
while IFS= read -r dll; do
    base=$(printf '%s' "$dll" | tr '[:upper:]' '[:lower:]')
    base=${base%.dll}
    case "$system_dlls" in
        *" $base "*) echo "ok      $dll" ;;
        *) echo "FOREIGN $dll"; status=1 ;;
    esac
done <<<"$imports"
exit $status
