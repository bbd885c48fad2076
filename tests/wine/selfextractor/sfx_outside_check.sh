#!/usr/bin/env bash
# The self-extractors and the offset tool judged from outside, with Info-ZIP and Python:
#   $1 the build's bin folder   $2 wine runner   $3 scratch folder
# Make EXE and Make Win95 EXE run through sfx_build_driver (the zip handler's own commands) on
# an Info-ZIP archive with nested folders, an empty file and a 5 MB file.
set -euo pipefail
bin=$1 runner=$2 work=$3
rm -rf "$work"; mkdir -p "$work"; cd "$work"
fail() { echo "FAILED: $*"; exit 1; }
wine_run() { "$runner" "$@"; }

python3 - <<'PY'
import os, random
random.seed(14)
os.makedirs('tree/docs/deep/deeper', exist_ok=True)
os.makedirs('tree/empty folder', exist_ok=True)
open('tree/empty.txt', 'wb').close()
with open('tree/docs/readme.txt', 'w') as f:
    f.write('read me\n' * 300)
with open('tree/docs/deep/deeper/notes.txt', 'w') as f:
    f.write(''.join(random.choice('abcdef \n') for _ in range(20000)))
with open('tree/big.bin', 'wb') as f:
    f.write(bytes(random.getrandbits(8) for _ in range(5 * 1024 * 1024)))
PY
(cd tree && zip -qr ../REPORT.ZIP .)
cp "$bin/UNZIPSFX.EXE" "$bin/Kestrel.exe" .

check_self_extractor() {   # result, stub
    local result=$1 stub=$2
    cmp -n "$(stat -c %s "$stub")" "$result" "$stub" || fail "$result does not begin with $stub"
    local tested; tested=$(unzip -t "$result" 2>&1) || fail "unzip -t $result: $tested"
    if grep -qi "warning\|extra bytes" <<<"$tested"; then fail "unzip -t warns about $result: $tested"; fi
    [ "$(unzip -Z1 "$result" 2>&1)" = "$(unzip -Z1 REPORT.ZIP)" ] || fail "unzip -Z1 lists other names for $result"
    python3 -c "
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z, zipfile.ZipFile('REPORT.ZIP') as original:
    assert z.testzip() is None, 'damaged entry'
    assert z.namelist() == original.namelist(), 'other names'
    assert z.read('big.bin') == original.read('big.bin'), 'other data'
" "$result" || fail "Python's zipfile rejects $result"
    # The same offsets as Info-ZIP's own adjustment of the same stub and archive.
    cat "$stub" REPORT.ZIP > reference.exe
    zip -qA reference.exe
    cmp reference.exe "$result" || fail "$result differs from zip -A of the same input"
}

echo "== Make EXE"
wine_run "$bin/sfx_build_driver.exe" REPORT.ZIP
[ -f REPORT.exe ] || fail "Make EXE wrote no REPORT.exe"
check_self_extractor REPORT.exe UNZIPSFX.EXE
mv REPORT.exe CONSOLE.EXE

echo "== Make Win95 EXE"
wine_run "$bin/sfx_build_driver.exe" REPORT.ZIP win95
[ -f REPORT.exe ] || fail "Make Win95 EXE wrote no REPORT.exe"
check_self_extractor REPORT.exe Kestrel.exe

echo "== the console self-extractor into a folder with a blank"
wine_run CONSOLE.EXE -d "unpacked here" >/dev/null || fail "extracting returned $?"
diff -r tree "unpacked here" || fail "the extracted files differ"

echo "== overwrite asked and answered"
echo changed > "unpacked here/docs/readme.txt"
set +e
printf 'N\n' | wine_run CONSOLE.EXE -d "unpacked here" > answers.txt; code=$?
set -e
[ "$code" -eq 1 ] || fail "keeping files should end with warnings (1), not $code"
grep -q "replace unpacked here" answers.txt || fail "no question asked: $(cat answers.txt)"
[ "$(cat "unpacked here/docs/readme.txt")" = changed ] || fail "an answer of None replaced a file"
printf 'y\nA\n' | wine_run CONSOLE.EXE -d "unpacked here" > answers.txt || fail "replacing all returned $?"
diff -r tree "unpacked here" || fail "answers of yes and All did not restore the files"

echo "== a damaged copy fails its test"
wine_run CONSOLE.EXE -t > /dev/null || fail "the intact self-extractor fails its test"
cp CONSOLE.EXE DAMAGED.EXE
offset=$(python3 -c "
import zipfile
with zipfile.ZipFile('CONSOLE.EXE') as z:
    info = z.getinfo('big.bin')
print(info.header_offset + 30 + len(info.filename) + 1000)
")
printf '\x55\xaa\x55\xaa' | dd of=DAMAGED.EXE bs=1 seek="$offset" conv=notrunc status=none
set +e
wine_run DAMAGED.EXE -t > damaged.txt; code=$?
set -e
[ "$code" -eq 2 ] || fail "testing the damaged copy returned $code: $(cat damaged.txt)"
grep -q "big.bin" damaged.txt || fail "the damaged entry is not named: $(cat damaged.txt)"

echo "== ZIP386.EXE /A"
cat UNZIPSFX.EXE REPORT.ZIP > PLAIN.EXE
cp PLAIN.EXE reference.exe; zip -qA reference.exe
wine_run "$bin/ZIP386.EXE" /A PLAIN.EXE || fail "ZIP386 /A failed on an unadjusted file"
cmp PLAIN.EXE reference.exe || fail "ZIP386 /A differs from zip -A"
cp PLAIN.EXE before.exe
wine_run "$bin/ZIP386.EXE" /A PLAIN.EXE || fail "ZIP386 /A failed on an adjusted file"
cmp PLAIN.EXE before.exe || fail "an adjusted file was changed"
cp UNZIPSFX.EXE NOTZIP.EXE
set +e
wine_run "$bin/ZIP386.EXE" /A NOTZIP.EXE 2> notzip.txt; code=$?
wine_run "$bin/ZIP386.EXE" -X NOTZIP.EXE 2> usage.txt; usage=$?
set -e
[ "$code" -ne 0 ] || fail "ZIP386 /A succeeded on a file that is not a zip"
grep -q "NOTZIP.EXE" notzip.txt || fail "the error does not name the file: $(cat notzip.txt)"
cmp NOTZIP.EXE UNZIPSFX.EXE || fail "ZIP386 changed a file that is not a zip"
[ "$usage" -ne 0 ] && grep -q "usage" usage.txt || fail "a wrong switch did not print the usage and fail"
[ -z "$(ls | grep -i '^Z38')" ] || fail "ZIP386 left a temporary file: $(ls)"
echo "self-extractors accepted"
