#!/usr/bin/env bash
# Fails unless the executable uses only DLLs that ship with Windows: no
# compiler runtime (libstdc++, libgcc, winpthread) or other third-party DLL,
# neither in its import table (loaded at start) nor among the DLL names it
# carries as wide texts (loaded on demand with LoadLibraryExW). The DLLs
# named after objdump must be loaded on demand only: imported, they would be
# loaded at start after all.
#   tests/check-imports.sh <program.exe> [objdump [on-demand DLL ...]]
# objdump defaults to $OBJDUMP or x86_64-w64-mingw32-objdump (which reads
# 32-bit and 64-bit executables alike); strings is taken from the same tools.
set -euo pipefail
exe=${1:?usage: check-imports.sh <program.exe> [objdump [on-demand DLL ...]]}
objdump=${2:-${OBJDUMP:-x86_64-w64-mingw32-objdump}}
shift $(($# < 2 ? $# : 2))
strings=${objdump%objdump}strings
command -v "$strings" >/dev/null || strings=strings

system_dlls=" kernel32 user32 gdi32 advapi32 comctl32 comdlg32 ole32 oleaut32 netapi32 iphlpapi "
system_dlls+=" shell32 shlwapi msvcrt uxtheme version ws2_32 rpcrt4 secur32 crypt32 userenv "
system_dlls+=" wtsapi32 dnsapi mpr winmm ntdll bcrypt setupapi powrprof "

lower() { tr '[:upper:]' '[:lower:]'; }
is_system() { case "$system_dlls" in *" $1 "*) return 0 ;; *) return 1 ;; esac; }

imports=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' | tr -d '\r') || {
    echo "cannot read the imports of $exe" >&2
    exit 1
}
if [ -z "$imports" ]; then
    echo "no imports found in $exe (not a PE executable?)" >&2
    exit 1
fi
status=0
imported=" "
while IFS= read -r dll; do
    base=$(printf '%s' "$dll" | lower)
    base=${base%.dll}
    imported+="$base "
    if is_system "$base"; then echo "ok      $dll"; else echo "FOREIGN $dll"; status=1; fi
done <<<"$imports"

# DLL names among the program's wide texts. The scan cannot tell where a text
# begins when printable bytes of other data lie right before it, so a name is
# the longest system DLL name that ends the match, or the whole match if none.
while IFS= read -r match; do
    name=$(printf '%s' "$match" | lower)
    name=${name%.dll}
    found=""
    for ((i = 0; i < ${#name}; i++)); do
        if is_system "${name:i}"; then found=${name:i}; break; fi
    done
    if [ -z "$found" ]; then
        echo "FOREIGN $match (loaded on demand)"
        status=1
    elif [[ "$imported" != *" $found "* ]]; then
        echo "ok      $found.dll (loaded on demand)"
    fi
done < <("$strings" -el "$exe" | grep -oiE '[a-z0-9_.-]+\.dll$' | sort -fu)

for dll in "$@"; do
    base=$(printf '%s' "${dll%.dll}" | lower)
    if [[ "$imported" == *" $base "* ]]; then
        echo "IMPORTED $base.dll: it is to be loaded on demand, not at start"
        status=1
    fi
done
exit $status
