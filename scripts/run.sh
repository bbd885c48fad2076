#!/usr/bin/env bash
# The main job: builds Brindle for x86_64 Windows and opens a sample archive in it under wine64.
#   scripts/run.sh [archive]     default: a sample zip made here with Info-ZIP zip
# Headless by default: a private Xvfb display, a screenshot in build/screenshots/run.png, then
# Brindle is closed. With BRINDLE_DISPLAY=:0 it runs on that display until you close it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BRINDLE_BUILD:-$root/build}/win64
"$root/scripts/setup.sh"
source "$root/scripts/xvfb-lib.sh"

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target Brindle Zipper unzip32 zip32 brindle_templates -j"$(nproc)" >/dev/null

archive=${1:-}
if [ -z "$archive" ]; then
    sample=$build/run-sample
    rm -rf "$sample"; mkdir -p "$sample/docs" "$sample/setup"
    seq 1 20000 > "$sample/numbers.txt"
    printf 'Brindle shows the entries of this archive.\n' > "$sample/docs/readme.txt"
    printf '[Install]\nTarget=C:\\Program Files\\Sample\n' > "$sample/setup/setup.inf"
    printf '[Options]\nSound=1\n' > "$sample/setup/options.ini"
    head -c 40000 /dev/urandom > "$sample/setup/engine.dll"
    head -c 120000 /dev/urandom > "$sample/setup/install.exe"
    head -c 3000 /dev/zero > "$sample/docs/logo.bmp"
    printf 'Makefile for the sample\n' > "$sample/Makefile"
    archive=$build/SAMPLE.ZIP
    rm -f "$archive"
    (cd "$sample" && zip -q -r -9 "$archive" .)
fi
archive=$(cd "$(dirname "$archive")" && pwd)/$(basename "$archive")

start_private_display
export BRINDLE_WINEPREFIX=$build/wineprefix WINEPREFIX=$build/wineprefix
windows_path=$("$root/scripts/wine-run.sh" winepath -w "$archive" 2>/dev/null | tr -d '\r')
echo "run: opening $windows_path in Brindle on display $DISPLAY"

# Zipper, the window-less companion, packs one file into a zip beside it.
note=$build/run-note.txt
printf 'Packed by Zipper.\n' > "$note"; rm -f "$build/run-note.zip"
"$root/scripts/wine-run.sh" "$build/bin/Zipper.exe" "$("$root/scripts/wine-run.sh" winepath -w "$note" 2>/dev/null | tr -d '\r')" 2>/dev/null
echo "run: Zipper packed run-note.txt into run-note.zip: $(unzip -Z1 "$build/run-note.zip"), $(unzip -tq "$build/run-note.zip")"

if [ -n "${BRINDLE_DISPLAY:-}" ]; then
    exec "$root/scripts/wine-run.sh" "$build/bin/Brindle.exe" "$windows_path"
fi

"$root/scripts/wine-run.sh" "$build/bin/Brindle.exe" "$windows_path" &
brindle=$!
window=""
for _ in $(seq 120); do
    window=$(xwininfo -root -tree 2>/dev/null | grep -iF "\"$(basename "$archive") - Brindle\"" | awk '{print $1}' | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.5
done
[ -n "$window" ] || { echo "run: Brindle did not show the archive" >&2; /usr/lib/wine/wineserver -k; exit 1; }
sleep 2   # past the start-up picture and the first paint
mkdir -p "$build/../screenshots"
shot=$(cd "$build/.." && pwd)/screenshots/run.png
# Only the window: without a window manager, Xvfb keeps stale pixels where windows were.
import -window "$window" "$shot"
echo "run: screenshot saved to $shot"
/usr/lib/wine/wineserver -k 2>/dev/null || true
wait "$brindle" 2>/dev/null || true
