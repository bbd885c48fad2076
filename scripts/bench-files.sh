#!/usr/bin/env bash
# Times 20,000 small files (about 120 MB) going out of and into a zip archive, in one run:
#   extracting: UnZip32.dll under wine64 without and with a progress record (what reporting
#     costs), a bare CreateFileA/WriteFile/SetFileTime/CloseHandle loop making the same files
#     under wine64 (the floor Windows file creation sets), the
#     console self-extractor UNZIPSFX.EXE made of the same archive and started under wine64 as
#     a user starts it (its listing into a file), and Info-ZIP's unzip natively;
#   adding all of them at once: Brindle's Add (the handler's AddFiles) and one Zip32.dll call
#     under wine64, and Info-ZIP's zip natively, each at level 6 without folder names;
#   through the archive window (wine64): extracting the archive and adding one 1 GB file with
#     the work off the window's thread, next to the DLL alone, with the worst wait of a WM_NULL
#     sent every 100 ms meanwhile and the time a Cancel from the progress window takes.
#   scripts/bench-files.sh [rounds]
#   BRINDLE_BENCH_BUILD  the win64 build folder to use (default: build/bench-win64)
#   BRINDLE_BENCH_WORK   where the files are extracted (default: a folder in the build);
#                        a tmpfs such as /dev/shm takes the disk's own noise out of the figures
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BRINDLE_BENCH_BUILD:-$root/build/bench-win64}
rounds=${1:-4}

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target extract_bench add_bench window_work_bench unzip32 zip32 UnzipSfx -j2 >/dev/null

# The archive is kept for later runs; its files are text of varied words, 1 to 11 KB each.
data=$build/extract-bench-data
archive=$data/files20000.zip
mkdir -p "$data"
if [ ! -f "$archive" ]; then
    tree=$data/tree
    rm -rf "$tree"
    mkdir -p "$tree"
    python3 - "$tree" <<'PY'
import os, random, sys
tree = sys.argv[1]
generator = random.Random(20000)
words = ["archive", "entry", "folder", "window", "extract", "deflate", "header", "record", "stored",
         "name", "size", "time", "list", "view", "data", "byte", "file", "table", "check", "path"]
for index in range(20000):
    folder = os.path.join(tree, "d%03d" % (index // 500))
    if index % 500 == 0:
        os.makedirs(folder, exist_ok=True)
    size = generator.randint(1000, 11000)
    text = []
    length = 0
    while length < size:
        word = generator.choice(words) + str(generator.randint(0, 999))
        text.append(word)
        length += len(word) + 1
    with open(os.path.join(folder, "file%05d.txt" % index), "w") as out:
        out.write(" ".join(text)[:size])
PY
    (cd "$tree" && zip -q -r -D "$data/partial.zip" . && mv "$data/partial.zip" "$archive")
    rm -rf "$tree"
fi

work=${BRINDLE_BENCH_WORK:-$data/work}/extract-bench
rm -rf "$work"
mkdir -p "$work"
echo "== UnZip32.dll without and with a progress record, and the bare loop (wine64)"
sync
(cd "$build" && "$root/scripts/wine-run.sh" "$build/bin/extract_bench.exe" \
    "Z:${archive//\//\\}" "Z:${work//\//\\}" "$rounds") 2> >(grep -v "FS volume label" >&2) | tee "$data/unzip32.log"
rm -rf "$work"
best_dll=$(sed -n 's/^best: UnZip32.dll \([0-9.]*\) s.*/\1/p' "$data/unzip32.log")

echo
echo "== UNZIPSFX.EXE (wine64), the same archive as a self-extractor, started as a user starts it"
sfx=$data/files20000.exe
cat "$build/bin/UNZIPSFX.EXE" "$archive" > "$sfx"
zip -qA "$sfx"
mkdir -p "$work"
best=
for round in $(seq "$rounds"); do
    target=$work/sfx$round
    sync
    begin=$(date +%s%N)
    (cd "$build" && "$root/scripts/wine-run.sh" "$sfx" -d "Z:${target//\//\\}" > "$work/sfx$round.txt") \
        2> >(grep -v "FS volume label" >&2) || echo "round $round: UNZIPSFX.EXE returned $?"
    end=$(date +%s%N)
    seconds=$(awk -v ns=$((end - begin)) 'BEGIN { printf "%.2f", ns / 1e9 }')
    echo "round $round: UNZIPSFX.EXE $seconds s, $(find "$target" -type f | wc -l) files"
    best=$(awk -v a="${best:-$seconds}" -v b="$seconds" 'BEGIN { print (b < a ? b : a) }')
    rm -rf "$target"
done
echo "best: UNZIPSFX.EXE $best s, UnZip32.dll $best_dll s, ratio $(awk -v a="$best" -v b="$best_dll" 'BEGIN { printf "%.2f", a / b }')"
rm -rf "$work" "$sfx"

echo
echo "== Info-ZIP unzip (native, same archive)"
best=
for round in $(seq "$rounds"); do
    target=$work/unzip$round
    mkdir -p "$target"
    begin=$(date +%s%N)
    unzip -q "$archive" -d "$target"
    end=$(date +%s%N)
    seconds=$(awk -v ns=$((end - begin)) 'BEGIN { printf "%.2f", ns / 1e9 }')
    echo "round $round: unzip $seconds s"
    best=$(awk -v a="${best:-$seconds}" -v b="$seconds" 'BEGIN { print (b < a ? b : a) }')
    rm -rf "$target"
done
echo "best: unzip $best s"
rm -rf "$work"

echo
echo "== Adding the same 20,000 files at once (wine64), level 6"
tree=$data/tree
if [ ! -d "$tree" ]; then
    unzip -q "$archive" -d "$data/partial-tree" && mv "$data/partial-tree" "$tree"
fi
mkdir -p "$work"
sync
(cd "$build" && "$root/scripts/wine-run.sh" "$build/bin/add_bench.exe" "Z:${tree//\//\\}" "Z:${work//\//\\}") \
    2> >(grep -v "FS volume label" >&2)
echo
echo "== Info-ZIP zip (native, same files), level 6"
rm -f "$work/infozip.zip"
begin=$(date +%s%N)
(cd "$tree" && find . -type f | zip -q -6 -j "$work/infozip.zip" -@)
end=$(date +%s%N)
echo "zip: $(awk -v ns=$((end - begin)) 'BEGIN { printf "%.2f", ns / 1e9 }') s"
rm -rf "$work"

echo
echo "== Through the archive window (wine64): the same archive, and one 1 GB file of its text, level 6"
large=$data/large.txt
if [ ! -f "$large" ]; then
    for round in $(seq 9); do find "$tree" -type f -print0 | sort -z | xargs -0 cat; done | head -c 1G > "$data/partial.txt" || true
    mv "$data/partial.txt" "$large"
fi
source "$root/scripts/xvfb-lib.sh"
start_private_display
mkdir -p "$work"
sync
(cd "$build" && "$root/scripts/wine-run.sh" "$build/bin/window_work_bench.exe" "Z:${archive//\//\\}" \
    "Z:${large//\//\\}" "Z:${work//\//\\}") 2> >(grep -v "FS volume label" >&2)
rm -rf "$work"
