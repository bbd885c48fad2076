#!/usr/bin/env bash
# Builds everything (native, Windows x86_64, Windows i686) and runs every test:
# the native tests directly, the Windows tests under wine64 on a private Xvfb display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BRINDLE_BUILD:-$root/build}
jobs=$(nproc)
"$root/scripts/setup.sh"
source "$root/scripts/xvfb-lib.sh"

configure_and_build() {   # name, extra cmake arguments...
    local name=$1; shift
    cmake -S "$root" -B "$build/$name" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
    cmake --build "$build/$name" -j"$jobs"
}
configure_and_build native
configure_and_build win64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake"
configure_and_build win32 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake"   # compiled only

start_private_display
log=$(mktemp)
status=0
for name in native win64; do
    echo "== tests: $name"
    ctest --test-dir "$build/$name" --output-on-failure -j"$jobs" --timeout 1200 2>&1 | tee -a "$log" || status=1
done
passed=0; failed=0
while read -r pct fail total; do
    failed=$((failed + fail)); passed=$((passed + total - fail))
done < <(sed -n 's/^\([0-9]*\)% tests passed, \([0-9]*\) tests\? failed out of \([0-9]*\).*/\1 \2 \3/p' "$log")
rm -f "$log"
# A short fuzzing run of the reader and the extractor from the committed corpus counts as one
# more test. fuzz.sh says why when it cannot run (77), and fails instead under CI.
echo "== fuzz: ${BRINDLE_FUZZ_SECONDS:-60}s"
fuzz_status=0
BRINDLE_BUILD=$build "$root/scripts/fuzz.sh" "${BRINDLE_FUZZ_SECONDS:-60}" || fuzz_status=$?
case $fuzz_status in
    0) passed=$((passed + 1)) ;;
    77) echo "fuzz: skipped" ;;
    *) failed=$((failed + 1)) ;;
esac

# The release package, win64 only to keep the run short. It carries the self-extractor and the
# DOS tools, so it can be made once their sources (kestrel/, tools/) are in the tree.
if [ -f "$root/kestrel/CMakeLists.txt" ] && [ -f "$root/tools/CMakeLists.txt" ]; then
    echo "== package: win64"
    version=$(head -n 1 "$root/VERSION")
    if BRINDLE_BUILD=$build BRINDLE_DIST=$build/dist "$root/scripts/package.sh" win64 &&
       BRINDLE_BUILD=$build "$root/scripts/package-test.sh" "$build/dist/Brindle-$version-win64.zip"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
    fi
else
    echo "== package: not made, the tree has no kestrel/ or tools/ yet"
fi
echo "all: $passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$status" -eq 0 ]
