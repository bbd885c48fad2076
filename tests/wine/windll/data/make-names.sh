#!/usr/bin/env bash
# Regenerates the archives whose names and times other tools wrote: Python's zipfile (UTF-8
# names with flag bit 11), Info-ZIP zip under a UTF-8 locale (UTF-8 names without the flag,
# extended timestamps), Unicode path fields (0x7075) that match and one that does not, a DOS
# archive with OEM names (written byte by byte), and superscript port names. Committed; run
# by hand.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
rm -f "$here"/names-*.zip
printf 'summer\n' > 'café.txt'
printf 'winter\n' > 'naïve.txt'
# Odd seconds, which the DOS stamp cannot hold, one in summer time and one in winter time.
TZ=UTC touch -d '2024-07-01 10:20:31' 'café.txt'
TZ=UTC touch -d '2024-01-15 08:09:07' 'naïve.txt'
LC_ALL=C.UTF-8 TZ=UTC zip -q "$here/names-infozip.zip" 'café.txt' 'naïve.txt'
python3 - "$here" <<'PY'
import sys, os, struct, zipfile
here = sys.argv[1]
stamp = (2024, 7, 1, 12, 20, 30)
def add(z, name, data, system=3):
    info = zipfile.ZipInfo(name, stamp)
    info.compress_type = zipfile.ZIP_DEFLATED
    info.create_system = system
    z.writestr(info, data)

# zipfile stores any non-ASCII name in UTF-8 and sets bit 11.
with zipfile.ZipFile(os.path.join(here, "names-python.zip"), "w") as z:
    add(z, "café.txt", b"cafe\n")
    add(z, "日本語.txt", b"nihongo\n")
    add(z, "a\uff0fb\uff1a.txt", b"fullwidth solidus and colon\n")
    add(z, "plain.txt", b"ascii\n")

# A DOS archive: host 0, names in code page 437, no flag. Written with ASCII stand-ins whose
# bytes are then swapped for the OEM ones ("#" for 0x8E, A umlaut; "~" for 0x81, u umlaut).
path = os.path.join(here, "names-dos.zip")
with zipfile.ZipFile(path, "w") as z:
    add(z, "#rger.txt", b"trouble\n", system=0)
    add(z, "M~LL/gr~n.txt", b"green\n", system=0)
data = open(path, "rb").read()
data = data.replace(b"#rger.txt", b"\x8erger.txt").replace(b"M~LL/gr~n.txt", b"M\x81LL/gr\x81n.txt")
open(path, "wb").write(data)

# A Unicode path field (0x7075) beside a name stored in a code page ("caf" + 0x82, e acute in
# code page 437, on a Unix host, so that only the field can give the right name); and the same
# with the stored name changed afterwards, so that the field's CRC no longer matches.
import zlib
def unicode_path_archive(target, stored, crc_of):
    field = b"\x01" + struct.pack("<I", zlib.crc32(crc_of)) + "café.txt".encode()
    extra = struct.pack("<HH", 0x7075, len(field)) + field
    with zipfile.ZipFile(target, "w") as z:
        info = zipfile.ZipInfo("caf#.txt", stamp)
        info.create_system = 3
        info.extra = extra
        z.writestr(info, b"unicode path\n")
    data = open(target, "rb").read().replace(b"caf#.txt", stored)
    open(target, "wb").write(data)
unicode_path_archive(os.path.join(here, "names-unicode-path.zip"), b"caf\x82.txt", b"caf\x82.txt")
unicode_path_archive(os.path.join(here, "names-stale.zip"), b"caf\x82.txt", b"cafe.txt")

# Two names that list alike on a Western code page ("??.txt").
with zipfile.ZipFile(os.path.join(here, "names-alike.zip"), "w") as z:
    add(z, "日本.txt", b"japan\n")
    add(z, "中国.txt", b"china\n")
    add(z, "other.txt", b"other\n")

# An entry of 4,400,000,000 bytes as the directory describes it (Zip64 size field); only
# listed, never extracted, so its 16 bytes of data need not inflate to that much.
def huge_archive(target):
    name = b"big.bin"
    size = 4400000000
    packed = 16
    zip64 = struct.pack("<HHQ", 1, 8, size)
    local = struct.pack("<IHHHHHIIIHH", 0x04034b50, 45, 0, 8, 0, 0x5821, 0, 0xFFFFFFFF, 0xFFFFFFFF,
                        len(name), 20) + name + struct.pack("<HHQQ", 1, 16, size, packed) + bytes(packed)
    central = struct.pack("<IHHHHHHIIIHHHHHII", 0x02014b50, 45, 45, 0, 8, 0, 0x5821, 0, packed, 0xFFFFFFFF,
                          len(name), len(zip64), 0, 0, 0, 0, 0) + name + zip64
    end = struct.pack("<IHHHHIIH", 0x06054b50, 0, 0, 1, 1, len(central), len(local), 0)
    open(target, "wb").write(local + central + end)
huge_archive(os.path.join(here, "names-huge.zip"))

# Port names that Windows also accepts with superscript digits.
with zipfile.ZipFile(os.path.join(here, "names-devices.zip"), "w") as z:
    add(z, "COM\u00b9.txt", b"device\n")
    add(z, "LPT\u00b3", b"device\n")
    add(z, "COM\u00b2.log", b"device\n")
    add(z, "keep.txt", b"kept\n")
PY
