#!/usr/bin/env bash
# Runs Zipper.exe under Wine on a generated file, then lets Info-ZIP's unzip judge the
# archive it wrote: it must test clean and hold exactly the bare file name.
#   $1 Zipper.exe   $2 wine runner   $3 scratch folder
set -euo pipefail
zipper=$1 runner=$2 work=$3
rm -rf "$work"; mkdir -p "$work"
cd "$work"
python3 -c "
import random
random.seed(7)
words = ['alpha', 'beta', 'gamma', 'delta', 'epsilon']
with open('SAMPLE.TXT', 'w') as f:
    for i in range(20000):
        f.write(random.choice(words) + ' %d\n' % i)
"
"$runner" "$zipper" SAMPLE.TXT
[ -f SAMPLE.zip ] || { echo "Zipper wrote no SAMPLE.zip"; exit 1; }
unzip -t SAMPLE.zip
names=$(unzip -Z1 SAMPLE.zip)
[ "$names" = "SAMPLE.TXT" ] || { echo "unexpected entries: $names"; exit 1; }
unzip -p SAMPLE.zip SAMPLE.TXT | cmp - SAMPLE.TXT
echo "Zipper archive accepted by unzip"
