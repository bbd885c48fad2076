#!/usr/bin/env bash
# Fuzzes the zip reader with libFuzzer (clang, address and undefined-behaviour sanitizers)
# for a bounded time, starting from a small corpus of archives generated on the spot.
#   scripts/fuzz.sh [seconds]      default 60
# Not part of the test suite: findings land in build/fuzz/ as crash-* files.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
out=$root/build/fuzz

missing=()
command -v clang++ >/dev/null || missing+=(clang)
dpkg-query -W -f='${Status}' libclang-rt-14-dev 2>/dev/null | grep -q 'install ok installed' || missing+=(libclang-rt-14-dev)
for tool in zip python3; do command -v $tool >/dev/null || missing+=($tool); done
if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd=sudo
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
fi

mkdir -p "$out/seeds" "$out/corpus"
clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$root/zip/include" -I"$root/zip/src" "$root"/zip/src/*.cpp "$root/tests/fuzz/ReaderFuzz.cpp" \
    -lz -lpthread -o "$out/reader_fuzz"

# Seeds: each feature the reader handles, kept small so mutations reach the records.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(
    cd "$work"
    printf 'hello hello hello hello\n' > a.txt
    printf 'x' > b
    mkdir -p dir && printf 'inner' > dir/c.txt
    zip -q -0 "$out/seeds/stored.zip" a.txt b
    zip -q -9 -r "$out/seeds/deflated.zip" a.txt dir
    zip -q -r - a.txt dir | cat > "$out/seeds/descriptors.zip"
    cp "$out/seeds/deflated.zip" commented.zip && echo "comment" | zip -q -z commented.zip && cp commented.zip "$out/seeds/"
    printf 'MZstub' | cat - "$out/seeds/stored.zip" > "$out/seeds/sfx-unadjusted.exe"
    cp "$out/seeds/sfx-unadjusted.exe" sfx.exe && zip -q -A sfx.exe && cp sfx.exe "$out/seeds/sfx-adjusted.exe"
    python3 - "$out/seeds" <<'PY'
import sys, zipfile
seeds = sys.argv[1]
with zipfile.ZipFile(seeds + "/zip64.zip", "w", zipfile.ZIP_DEFLATED) as z:
    with z.open("big", "w", force_zip64=True) as f:
        f.write(b"zip64 " * 20)
    z.writestr("../../evil", b"x")
    z.writestr("C:\\\\win\\\\nul.txt", b"y")
PY
)
echo "fuzz: running for ${seconds}s"
"$out/reader_fuzz" -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$out/" "$out/corpus" "$out/seeds" &
fuzzer=$!
status=0
wait $fuzzer || status=$?
# The target's scratch files are named after its process id; libFuzzer may exit without cleaning up.
rm -rf "/tmp/zipcore-fuzz-$fuzzer.zip" "/tmp/zipcore-fuzz-$fuzzer.zip".*
exit $status
