#!/usr/bin/env bash
# Zip32.dll, under Wine, adds files named "café.txt" and "日本語.txt"; Info-ZIP's unzip and
# zipinfo, Python's zipfile and 7-Zip, run natively, must read the exact names back and see
# the extended timestamp we write. And UnZip32.dll's extraction of a foreign archive must
# leave the true names on the Linux side of the Wine drive, where they are UTF-8.
#   $1 windll_tests.exe   $2 wine runner   $3 scratch folder
set -euo pipefail
tests=$1 runner=$2 work=$3
rm -rf "$work"; mkdir -p "$work"
archive="$work/ours.zip"
export LC_ALL=C.UTF-8
BRINDLE_PEER_FOLDER="Z:${work//\//\\}" "$runner" "$tests" --gtest_filter='OurNames.*'
[ -f "$archive" ] || { echo "no archive was written"; exit 1; }
expected=$(printf '%s\n' 'café.txt' 'plain.txt' '日本語.txt' | sort)
check() {   # what, names
    local got; got=$(printf '%s\n' "$2" | sort)
    [ "$got" = "$expected" ] || { echo "$1 lists:"; echo "$got"; exit 1; }
    echo "$1: names as written"
}
unzip -tq "$archive"
check "unzip -Z1" "$(unzip -Z1 "$archive")"
check "zipfile" "$(python3 -c 'import sys, zipfile; print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))' "$archive")"
check "7z l" "$(7z l -slt "$archive" | sed -n 's/^Path = //p' | grep -vx "$archive")"
stamps=$(zipinfo -v "$archive" | grep -c 'UT extra field modtime' || true)
[ "$stamps" -ge 3 ] || { echo "zipinfo -v shows $stamps extended timestamps, not 3"; zipinfo -v "$archive"; exit 1; }
echo "zipinfo -v: every entry carries the extended timestamp"
extracted=$(cd "$work/extracted" && ls | sort)
wanted=$(printf '%s\n' 'a／b：.txt' 'café.txt' 'plain.txt' '日本語.txt' | sort)
[ "$extracted" = "$wanted" ] || { echo "extracted under:"; echo "$extracted"; exit 1; }
echo "extracted: the true names on the Linux side"
