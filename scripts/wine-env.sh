# Sourced by the scripts: a Wine prefix of the build's own, made once, and an
# X display (Xvfb when there is none).
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

quillon_wine_prefix() {  # $1: prefix folder
    export WINEPREFIX="$1"
    # The prefix is made again when the settings or the Wine that made it
    # change (a prefix made before 32-bit Wine was installed cannot run x86).
    local settings stamp
    settings="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine-prefix.reg"
    stamp="$( (cat "$settings"; wine --version; ls /usr/lib/wine) 2>&1 | sha256sum | cut -c1-16)"
    if [ "$(cat "$WINEPREFIX/.quillon-prefix" 2>/dev/null)" != "$stamp" ]; then
        echo "Creating the Wine prefix $WINEPREFIX (slow; again only when its settings change)..."
        [ ! -d "$WINEPREFIX" ] || { wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"; }
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w || true
        # Fonts, resolution and window handling as wine-prefix.reg states them.
        wine regedit /S "$(winepath -w "$settings")" >/dev/null 2>&1
        wineserver -w || true
        printf '%s\n' "$stamp" >"$WINEPREFIX/.quillon-prefix"
    fi
}

quillon_dpi144_prefix() {  # $1: build folder, $2: its prefix; prints the 144-DPI copy, made once
    local prefix144="$1/wineprefix-144dpi"
    if [ ! -f "$prefix144/.dpi-144" ]; then
        rm -rf "$prefix144"
        cp -a "$2" "$prefix144"
        WINEPREFIX="$prefix144" wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
            /d 144 /f >/dev/null
        WINEPREFIX="$prefix144" wine reg add \
            'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels \
            /t REG_DWORD /d 144 /f >/dev/null
        WINEPREFIX="$prefix144" wineserver -k || true
        touch "$prefix144/.dpi-144"
    fi
    printf '%s\n' "$prefix144"
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
