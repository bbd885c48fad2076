#!/usr/bin/env bash
# Builds the release packages dist/Brindle-<version>-win64.zip and dist/Brindle-<version>-win32.zip:
# the program folder "Brindle" as it lies on a user's disk, with the programs built size-optimised
# and stripped, packed with our own zip library (zipdemo) and checked with Info-ZIP's unzip -t.
#   scripts/package.sh [win64] [win32]    (both when none is named)
#   BRINDLE_BUILD  the build folder (default build/), BRINDLE_DIST the output folder (default dist/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BRINDLE_BUILD:-$root/build}
dist=${BRINDLE_DIST:-$root/dist}
jobs=$(nproc)
version=$(head -n 1 "$root/VERSION")
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(win64 win32)

# The program folder, as users receive it. Each file comes from the package build's bin/.
shipped=(Brindle.exe Zipper.exe Kestrel.exe UnZip32.dll Zip32.dll UNZIPSFX.EXE ZIP386.EXE
         Null.zip Null.arj Brindle.hlp Brindle.cnt)
win64_limit=$((2 * 1024 * 1024))

"$root/scripts/setup.sh"

# zipdemo runs natively; it is the zip library's own front end.
cmake -S "$root" -B "$build/native" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build/native" -j"$jobs" --target zipdemo >/dev/null
zipdemo=$build/native/bin/zipdemo
[ -x "$zipdemo" ] || zipdemo=$build/native/zip/zipdemo

mkdir -p "$dist"
for target in "${targets[@]}"; do
    case $target in
        win64) toolchain=mingw-x86_64.cmake ;;
        win32) toolchain=mingw-i686.cmake ;;
        *) echo "package: unknown target $target (win64 or win32)" >&2; exit 2 ;;
    esac
    tree=$build/package-$target
    echo "== package: $target, size-optimised build in $tree"
    cmake -S "$root" -B "$tree" -DCMAKE_BUILD_TYPE=MinSizeRel -DBRINDLE_PACKAGE_BUILD=ON \
          -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" >/dev/null
    cmake --build "$tree" -j"$jobs" >/dev/null

    missing=()
    for file in "${shipped[@]}"; do
        [ -f "$tree/bin/$file" ] || missing+=("$file")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "package: the $target build made no ${missing[*]} (looked in $tree/bin)" >&2
        exit 1
    fi

    stage=$tree/stage
    rm -rf "$stage"
    mkdir -p "$stage/Brindle"
    for file in "${shipped[@]}"; do
        cp "$tree/bin/$file" "$stage/Brindle/$file"
    done
    # Windows users read it with Notepad: CRLF line ends.
    sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$root/docs/package-readme.txt" > "$stage/Brindle/README.TXT"

    package=$dist/Brindle-$version-$target.zip
    rm -f "$package"
    names=()
    for file in "${shipped[@]}" README.TXT; do names+=("Brindle/$file"); done
    (cd "$stage" && "$zipdemo" add "$package" "${names[@]}" >/dev/null)
    unzip -tq "$package"

    for file in "${shipped[@]}" README.TXT; do
        printf '  %-14s %9d bytes\n' "$file" "$(stat -c %s "$stage/Brindle/$file")"
    done
    size=$(stat -c %s "$package")
    printf '  package %s: %d bytes\n' "$(basename "$package")" "$size"
    if [ "$target" = win64 ] && [ "$size" -ge "$win64_limit" ]; then
        echo "package: $(basename "$package") is $size bytes, over the 2 MB it must stay under" >&2
        exit 1
    fi
done
