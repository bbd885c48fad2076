#!/usr/bin/env bash
# Fuzzes the zip reader and extractor with libFuzzer (clang, address and undefined-behaviour
# sanitizers) for a bounded time, starting from the committed corpus in tests/fuzz/corpus.
#   scripts/fuzz.sh [seconds]          default 60; scripts/test.sh runs it as one of the tests
#   scripts/fuzz.sh --keep [seconds]   also merges what the run found into tests/fuzz/corpus
# New inputs land in build/fuzz/corpus, failures in build/fuzz/ as crash-* (and the run fails).
# A failure once mended belongs in the committed corpus, where the replay test keeps it fixed.
# Exit 77 when clang or its fuzzing runtime is missing (1 under CI, where they must be there).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
keep=0
if [ "${1:-}" = "--keep" ]; then keep=1; shift; fi
seconds=${1:-60}
out=${BRINDLE_BUILD:-$root/build}/fuzz
committed=$root/tests/fuzz/corpus

missing=()
command -v clang++ >/dev/null || missing+=(clang)
dpkg-query -W -f='${Status}' libclang-rt-14-dev 2>/dev/null | grep -q 'install ok installed' || missing+=(libclang-rt-14-dev)
if [ ${#missing[@]} -gt 0 ]; then
    echo "fuzz: not run: ${missing[*]} missing (scripts/setup.sh installs them)"
    [ "${CI:-}" = "true" ] && exit 1
    exit 77
fi

mkdir -p "$out/corpus"
clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$root/zip/include" -I"$root/zip/src" "$root"/zip/src/*.cpp "$root/zip/src/crypto/OpenSslCrypto.cpp" \
    "$root/tests/fuzz/ReaderFuzz.cpp" -lz -lcrypto -lpthread -o "$out/reader_fuzz"

echo "fuzz: running for ${seconds}s from $(ls "$committed" | wc -l) committed inputs"
status=0
# The first corpus folder receives what the run finds; the committed one is only read.
"$out/reader_fuzz" -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$out/" "$out/corpus" "$committed" \
    >"$out/run.log" 2>&1 &
fuzzer=$!
wait $fuzzer || status=$?
# The target's scratch files are named after its process id; libFuzzer may exit without cleaning up.
rm -rf "/tmp/zipcore-fuzz-$fuzzer.zip" "/tmp/zipcore-fuzz-$fuzzer.zip".*
grep -E '^stat::number_of_executed_units|^stat::new_units_added' "$out/run.log" || true
if [ $status -ne 0 ]; then
    tail -n 40 "$out/run.log"
    echo "fuzz: FAILED (exit $status); the input is in $out/crash-* or $out/timeout-*"
    exit 1
fi
if [ $keep -eq 1 ]; then
    # Only inputs that add coverage go in, so the committed corpus stays small.
    "$out/reader_fuzz" -merge=1 "$committed" "$out/corpus" >"$out/merge.log" 2>&1
    echo "fuzz: committed corpus now holds $(ls "$committed" | wc -l) inputs"
fi
echo "fuzz: passed"
