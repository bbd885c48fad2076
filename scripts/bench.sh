#!/usr/bin/env bash
# Builds the native tree and runs the zip benchmark against Info-ZIP zip/unzip.
#   scripts/bench.sh [--quick] [--repeat N] [--work FOLDER]
# BRINDLE_BENCH_BUILD overrides the build folder (default build/bench-native).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BRINDLE_BENCH_BUILD:-$root/build/bench-native}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target zipbench -j2 >/dev/null
cd "$root"
exec "$build/bin/zipbench" "$@"
