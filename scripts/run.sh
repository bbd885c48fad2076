#!/usr/bin/env bash
# Until the archive window exists: builds the native tree, packs a folder with the zip
# library's demo tool, lists the archive, tests it and unpacks it again.
#   scripts/run.sh [folder]      default: a small generated sample folder
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BRINDLE_BUILD:-$root/build}/native
"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target zipdemo -j2 >/dev/null
demo=$build/bin/zipdemo

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
folder=${1:-}
if [ -z "$folder" ]; then
    folder=$work/sample
    mkdir -p "$folder/notes"
    seq 1 20000 > "$folder/numbers.txt"
    printf 'Brindle packs this folder.\n' > "$folder/readme.txt"
    head -c 100000 /dev/urandom > "$folder/noise.bin"
    printf 'a note\n' > "$folder/notes/note1.txt"
fi
folder=$(cd "$folder" && pwd)
archive=$work/sample.zip
(cd "$folder" && find . -type f | sed 's|^\./||' | xargs -d '\n' "$demo" add "$archive")
"$demo" list "$archive"
"$demo" test "$archive"
"$demo" extract "$archive" "$work/unpacked" >/dev/null
diff -r "$folder" "$work/unpacked" && echo "run: unpacked copy matches $folder"
