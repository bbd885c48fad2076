#!/usr/bin/env bash
# The console self-extractor on an archive of UTF-8 names (Python's zipfile), judged from the
# Linux side of the Wine drive: it writes the files UnZip32.dll writes, under the same true
# names; it asks before replacing a file and keeps it without a yes, replaces it with -o; a
# damaged entry leaves no file (and spoils none), and a name climbing out lands inside.
#   $1 the build's bin folder   $2 wine runner   $3 scratch folder
set -euo pipefail
bin=$1 runner=$2 work=$3
export LC_ALL=C.UTF-8   # Wine keeps Unix names in the locale's encoding
rm -rf "$work"; mkdir -p "$work"; cd "$work"
fail() { echo "FAILED: $*"; exit 1; }

# Each entry's stored name and where it must land below the target folder ("-": nowhere).
cases=(
    'café.txt'           'café.txt'
    'dé/x.txt'           'dé/x.txt'
    '日本語.txt'          '日本語.txt'
    'ñandú/über/ß.txt'   'ñandú/über/ß.txt'
    '../escape.txt'      'escape.txt'
    'damaged.txt'        '-'
)
python3 - "${cases[@]}" <<'PY'
import sys, zipfile
with zipfile.ZipFile('NAMES.ZIP', 'w') as archive:   # stored, names flagged as UTF-8
    for name in sys.argv[1::2]:
        archive.writestr(name, 'contents of ' + name + '\n')
data = open('NAMES.ZIP', 'rb').read()
open('NAMES.ZIP', 'wb').write(data.replace(b'contents of damaged', b'contents of DAMAGED'))  # the CRC fails
PY
cat "$bin/UNZIPSFX.EXE" NAMES.ZIP > NAMES.EXE
zip -qA NAMES.EXE

files() { (cd "$1" && find . -type f | sed 's|^\./||' | LC_ALL=C sort); }
expected=$(for ((i = 1; i < ${#cases[@]}; i += 2)); do [ "${cases[i]}" = - ] || echo "${cases[i]}"; done | LC_ALL=C sort)
extract() {   # output file, arguments...; the self-extractor's exit code in $code
    local output=$1; shift
    set +e; "$runner" NAMES.EXE "$@" > "$output"; code=$?; set -e
}
same_as_archive() {   # folder: every file as the archive holds it
    for ((i = 0; i < ${#cases[@]}; i += 2)); do
        [ "${cases[i + 1]}" = - ] && continue
        printf 'contents of %s\n' "${cases[i]}" | cmp -s - "$1/${cases[i + 1]}" || fail "$1/${cases[i + 1]} differs"
    done
}

echo "== UnZip32.dll and the self-extractor write the same names"
"$runner" "$bin/sfx_build_driver.exe" NAMES.ZIP extract dll > dll.txt || true
[ "$(files dll)" = "$expected" ] || fail "UnZip32.dll wrote: $(files dll)"
extract sfx.txt -d sfx < /dev/null
[ "$code" -eq 2 ] || fail "a damaged entry should end with errors (2), not $code: $(cat sfx.txt)"
[ "$(files sfx)" = "$expected" ] || fail "the self-extractor wrote: $(files sfx); $(cat sfx.txt)"
same_as_archive dll
same_as_archive sfx
grep -q "damaged.txt" sfx.txt || fail "the damaged entry is not named: $(cat sfx.txt)"
[ ! -e escape.txt ] || fail "a file was written outside the target"

echo "== an existing file is kept without an answer or with no, replaced with -o"
echo mine > sfx/café.txt
echo mine > "sfx/dé/x.txt"
kept() { [ "$(cat sfx/café.txt)$(cat "sfx/dé/x.txt")" = minemine ] || fail "replaced $1: $(cat "$2")"; }
extract closed.txt -d sfx < /dev/null
grep -q "replace sfx" closed.txt || fail "no question asked: $(cat closed.txt)"
kept "without an answer" closed.txt
printf 'n\n%.0s' 1 2 3 4 5 | extract answered.txt -d sfx
kept "on the answer no" answered.txt
echo mine > sfx/damaged.txt
extract replaced.txt -o -d sfx < /dev/null
! grep -q "replace sfx" replaced.txt || fail "-o asked: $(cat replaced.txt)"
same_as_archive sfx
[ "$(cat sfx/damaged.txt)" = mine ] || fail "the damaged entry spoiled the file it would replace"
[ "$(files sfx)" = "$(printf '%s\ndamaged.txt\n' "$expected" | LC_ALL=C sort)" ] || fail "left behind: $(files sfx)"
echo "the self-extractor writes the true names and keeps the library's promises"
