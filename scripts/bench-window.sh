#!/usr/bin/env bash
# Times the archive window opening archives of 1,000, 20,000 and 200,000 entries (and one
# status-pane update on a selection, beside the walk over the selection it used to make),
# next to Info-ZIP's unzip -Z1 listing the same files; then the list's tools on each: the pane
# after selection changes, Select All, Home with all selected, sorting and filter keystrokes.
#   BRINDLE_BENCH_BUILD  the win64 build folder to use (default: build/document-win64)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BRINDLE_BENCH_BUILD:-$root/build/document-win64}
source "$root/scripts/xvfb-lib.sh"

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target window_open_bench -j2 >/dev/null

# Writing 200,000 small files for zip takes minutes, so the archives are kept for later runs.
data=$build/window-bench-data
mkdir -p "$data"
archives=()
for count in 1000 20000 200000; do
    archive=$data/entries$count.zip
    archives+=("$archive")
    [ -f "$archive" ] && continue
    tree=$data/tree$count
    rm -rf "$tree"
    mkdir -p "$tree"
    # Small files of a few lines in folders of 500, packed by Info-ZIP's zip.
    python3 - "$tree" "$count" <<'PY'
import os, sys
tree, count = sys.argv[1], int(sys.argv[2])
for index in range(count):
    folder = os.path.join(tree, "d%04d" % (index // 500))
    if index % 500 == 0:
        os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "file%06d.txt" % index), "w") as out:
        out.write(("line %d of a small text file\n" % index) * (1 + index % 40))
PY
    (cd "$tree" && zip -q -r -D "$data/partial$count.zip" . && mv "$data/partial$count.zip" "$archive")
    rm -rf "$tree"
done

start_private_display
windows_paths=()
for archive in "${archives[@]}"; do windows_paths+=("Z:${archive//\//\\}"); done
echo "== Brindle window (wine64, in-process)"
(cd "$build" && "$root/scripts/wine-run.sh" "$build/bin/window_open_bench.exe" "${windows_paths[@]}") \
    2> >(grep -v "FS volume label" >&2)

echo
echo "== Info-ZIP unzip -Z1 (native listing of the same archives)"
printf '%-40s %10s %12s\n' archive entries "list (ms)"
for archive in "${archives[@]}"; do
    begin=$(date +%s%N)
    entries=$(unzip -Z1 "$archive" | wc -l)
    end=$(date +%s%N)
    printf '%-40s %10d %12.1f\n' "$(basename "$archive")" "$entries" "$(awk -v ns=$((end - begin)) 'BEGIN { print ns / 1000000 }')"
done
