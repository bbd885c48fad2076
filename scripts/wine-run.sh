#!/usr/bin/env bash
# Runs a Windows program under wine64 with a private prefix inside the build folder
# (never the user's own). Used by CTest as the cross-compiling emulator.
#   BRINDLE_WINEPREFIX  overrides the prefix; by default <build>/wineprefix, where <build>
#                       is the nearest folder above the current one holding CMakeCache.txt.
set -euo pipefail
if [ -z "${BRINDLE_WINEPREFIX:-}" ]; then
    dir=$PWD
    while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
    [ -f "$dir/CMakeCache.txt" ] || { echo "wine-run: no build folder above $PWD" >&2; exit 2; }
    BRINDLE_WINEPREFIX=$dir/wineprefix
fi
export WINEPREFIX=$BRINDLE_WINEPREFIX
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEDEBUG="${WINEDEBUG:--all}"
WINE=/usr/lib/wine/wine64
mkdir -p "$WINEPREFIX"
(
    flock 9
    if [ ! -f "$WINEPREFIX/.brindle-ready" ]; then
        "$WINE" wineboot -i >/dev/null 2>&1 || true
        /usr/lib/wine/wineserver -w || true
        touch "$WINEPREFIX/.brindle-ready"
    fi
) 9>"$WINEPREFIX.lock"
exec "$WINE" "$@"
