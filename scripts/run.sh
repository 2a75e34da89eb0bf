#!/usr/bin/env bash
# Installs what is missing, builds quillon.exe and starts it under Wine: on
# your display, or, with no display, under Xvfb with a screenshot saved.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
source scripts/wine-env.sh
cmake --preset mingw-x64 >/dev/null
cmake --build build/mingw-x64 --target quillon -j "$(nproc)"
exe="$PWD/build/mingw-x64/win32/quillon.exe"
quillon_wine_prefix "$HOME/.local/share/quillon/wineprefix"
if [ -n "${DISPLAY:-}" ]; then
    exec wine "$exe"
fi
quillon_display
wine "$exe" &
pid=$!
# The first start in a new prefix can take a while: wait for the main window
# (up to a minute) and let it paint before taking the picture.
for _ in $(seq 120); do
    xwininfo -root -tree 2>/dev/null | grep -q '"Quillon by Varnholt"' && break
    sleep 0.5
done
sleep 2
shot="$PWD/build/quillon-screenshot.png"
import -window root "$shot"
echo "No display: Quillon runs under Xvfb on $DISPLAY; screenshot saved to $shot"
kill "$pid" 2>/dev/null || true
wineserver -k 2>/dev/null || true
