#!/usr/bin/env bash
# Checks the release zip made by tools/release.sh: exactly the expected files, both DLLs PE32 for i386, the
# virtual tablet's files those of sim/data, the MIT license. Prints one line per check and "N passed, N failed"
# at the end; exits non-zero on a failure.
set -uo pipefail
zip=${1:?usage: check-release.sh build/release/kumo_wintab-VERSION.zip}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
objdump=i686-w64-mingw32-objdump
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
files=$(python3 -c 'import sys, zipfile; print(" ".join(sorted(zipfile.ZipFile(sys.argv[1]).namelist())))' "$zip" 2>&1)
check "file list" "$files" "LICENSE README.txt docs/guide.en.md docs/guide.ja.md kumo_wintab.dll virtual-tablet/wintab32.dll virtual-tablet/wintab_profile.txt virtual-tablet/wintab_stroke.txt"
python3 -m zipfile -e "$zip" "$unpacked" 2>/dev/null
for dll in kumo_wintab.dll virtual-tablet/wintab32.dll; do
    check "$dll PE32 i386" "$($objdump -f "$unpacked/$dll" 2>&1 | sed -n 's/.*file format //p')" "pei-i386"
done
for file in profile stroke; do
    same=$(cmp -s "$unpacked/virtual-tablet/wintab_$file.txt" "$root/sim/data/sample_$file.txt" && echo same || echo different)
    check "virtual-tablet/wintab_$file.txt is sim/data/sample_$file.txt" "$same" "same"
done
check "LICENSE" "$(head -3 "$unpacked/LICENSE" 2>&1 | tr '\n' '|')" "MIT License||Copyright (c) 2026 kumo_wintab developers|"
checks_summary "release checks"
