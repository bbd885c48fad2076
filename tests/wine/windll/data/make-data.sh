#!/usr/bin/env bash
# Regenerates the small archives the DLL tests read. They are committed, so this only runs
# when a fixture has to change: Info-ZIP zip makes the archives of a known maker, Python's
# zipfile the ones zip refuses to make (hostile names, an entry that grew).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir docs
for i in $(seq 1 40); do echo "line $i of the hello file"; done > hello.txt    # 1011 bytes, compresses well
printf 'Read me first.\n' > docs/readme.txt                                      # 15 bytes
: > empty.txt
touch -t 199801051430 hello.txt docs/readme.txt empty.txt docs
rm -f "$here"/infozip-*.zip "$here"/encrypted.zip
TZ=UTC zip -q -X -9 -r "$here/infozip-deflated.zip" hello.txt docs empty.txt
TZ=UTC zip -q -X -0 "$here/infozip-stored.zip" hello.txt docs/readme.txt
TZ=UTC zip -q -X -P secret "$here/encrypted.zip" hello.txt
python3 - "$here" <<'PY'
import sys, zipfile, os
here = sys.argv[1]
stamp = (1998, 1, 5, 14, 30, 0)
def add(z, name, data, method=zipfile.ZIP_DEFLATED):
    info = zipfile.ZipInfo(name, stamp)
    info.compress_type = method
    z.writestr(info, data)
with zipfile.ZipFile(os.path.join(here, "hostile.zip"), "w") as z:
    add(z, "../escape.txt", b"parent\n")
    add(z, "sub/../../escape2.txt", b"grandparent\n")
    add(z, "/rooted.txt", b"rooted\n")
    add(z, "C:/drive.txt", b"drive\n")
    add(z, "CON", b"device\n")
    add(z, "aux.txt", b"device\n")
    add(z, "bad|name.txt", b"forbidden character\n")
    add(z, "safe/good.txt", b"good\n")
with zipfile.ZipFile(os.path.join(here, "devices.zip"), "w") as z:
    add(z, "NUL", b"device\n")
    add(z, "com1.txt", b"device\n")
with zipfile.ZipFile(os.path.join(here, "grown.zip"), "w") as z:
    add(z, "noise.bin", bytes([7, 200, 13, 99, 250, 1, 77, 180, 33, 5, 140, 66, 222, 19, 91, 160]))
PY
printf 'This is a plain text file, not an archive.\n' > "$here/notzip.zip"
