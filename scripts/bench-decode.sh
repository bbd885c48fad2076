#!/usr/bin/env bash
# Decoding figures side by side in one run: the same content packed by 7-Zip as Deflate64 and as
# deflate, decoded by our decoder and by zlib's inflate.
#   scripts/bench-decode.sh [rounds]
# The content and archives are made once in build/bench-decode and reused.
# BRINDLE_BENCH_BUILD overrides the build folder (default build/bench-native).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BRINDLE_BENCH_BUILD:-$root/build/bench-native}
work=$root/build/bench-decode
rounds=${1:-5}
command -v 7z >/dev/null || { echo "bench-decode: 7z missing (scripts/setup.sh installs it)"; exit 1; }
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target decode_bench -j2 >/dev/null
mkdir -p "$work/content"
cd "$work"
if [ ! -f deflate64.zip ] || [ ! -f deflate.zip ]; then
    # Text of a small vocabulary, source code from the tree, and a compressible binary: about 40 MB.
    python3 - content <<'PY'
import os, random, sys
random.seed(23)
out = sys.argv[1]
words = [''.join(random.choice('etaoinshrdlucmfwypvbgkjqxz') for _ in range(random.randint(2, 9))) for _ in range(5000)]
with open(os.path.join(out, 'text.txt'), 'w') as f:
    for _ in range(300000):
        f.write(' '.join(random.choice(words) for _ in range(random.randint(4, 16))) + '\n')
with open(os.path.join(out, 'table.bin'), 'wb') as f:
    for i in range(3000000):
        f.write((i * 7919 % 65521).to_bytes(4, 'little'))
PY
    find "$root/zip" "$root/app" "$root/engine" -name '*.cpp' -o -name '*.h' | sort | xargs cat > content/source.txt
    for i in 1 2 3; do cat content/source.txt; done > content/source3.txt
    7z a -tzip -mm=Deflate64 -mx=7 deflate64.zip ./content/* >/dev/null
    7z a -tzip -mm=Deflate -mx=7 deflate.zip ./content/* >/dev/null
fi
"$build/bin/decode_bench" deflate64 deflate64.zip deflate.zip "$rounds"
