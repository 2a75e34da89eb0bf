# Sourced by the scripts: a Wine prefix of the build's own, made as
# wine-prefix.reg states it, and an X display (Xvfb when there is none).
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# Debian's `wine` starts the 32-bit loader whenever wine32 is installed, and
# that one starts the 64-bit loader again for a 64-bit program; where 32-bit
# code runs under emulation, the detour costs seconds a start. The scripts run
# 64-bit programs with the 64-bit loader directly; it still hands 32-bit
# programs to the 32-bit loader.
if [ -x /usr/lib/wine/wine64 ]; then
    quillon_wine_bin="${TMPDIR:-/tmp}/quillon-wine64-$(id -u)"
    mkdir -p "$quillon_wine_bin"
    for name in wine wine-stable; do  # wineboot, winepath and the rest call wine-stable
        printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$quillon_wine_bin/$name"
        chmod +x "$quillon_wine_bin/$name"
    done
    export PATH="$quillon_wine_bin:$PATH" WINELOADER=/usr/lib/wine/wine64
fi

quillon_wine_prefix() {  # $1: prefix folder
    export WINEPREFIX="$1"
    # The prefix is made again when its settings or the Wine that made it
    # change (a prefix made before 32-bit Wine was installed cannot run x86).
    local settings stamp
    settings="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine-prefix.reg"
    stamp="$( (cat "$settings"; wine --version; ls /usr/lib/wine) 2>&1 | sha256sum | cut -c1-16)"
    if [ "$(cat "$WINEPREFIX/.quillon-prefix" 2>/dev/null)" != "$stamp" ]; then
        echo "Creating the Wine prefix $WINEPREFIX (slow; again only when its settings change)..."
        if [ -d "$WINEPREFIX" ]; then
            wineserver -k 2>/dev/null || true
            rm -rf "$WINEPREFIX"
        fi
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w || true
        # Fonts, resolution and window handling as wine-prefix.reg states them.
        wine regedit /S "$(winepath -w "$settings")" >/dev/null 2>&1
        wineserver -w || true
        printf '%s\n' "$stamp" >"$WINEPREFIX/.quillon-prefix"
    fi
}

quillon_display() {  # starts Xvfb on a free display when DISPLAY is not set
    if [ -z "${DISPLAY:-}" ]; then
        for n in $(seq 90 120); do
            if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
                Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
                QUILLON_XVFB_PID=$!
                export DISPLAY=":$n"
                for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
                trap 'kill $QUILLON_XVFB_PID 2>/dev/null || true' EXIT
                return 0
            fi
        done
        echo "No free X display for Xvfb" >&2
        return 1
    fi
}
