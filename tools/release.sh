#!/usr/bin/env bash
# Builds the shipped i686 tree (preset product) and packs build/release/kumo_wintab-<version>.zip:
#   kumo_wintab.dll                  the plug-in
#   virtual-tablet/wintab32.dll      the simulated driver (i686), with its profile and stroke beside it
#   virtual-tablet/wintab_profile.txt, virtual-tablet/wintab_stroke.txt
#   docs/guide.ja.md, docs/guide.en.md, README.txt, LICENSE
# Prints the zip's path. tools/check-release.sh checks it.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
tools/setup.sh >&2
cmake --preset product >/dev/null
cmake --build --preset product -j "${KUMO_JOBS:-$(nproc)}" --target kumo_wintab wintab_sim_full >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/product/CMakeCache.txt)
[ -n "$version" ] || { echo "release: no project version in build/product/CMakeCache.txt" >&2; exit 1; }
mkdir -p build/release
zip=build/release/kumo_wintab-$version.zip
readme=$(mktemp)
trap 'rm -f "$readme"' EXIT
cat >"$readme" <<TEXT
kumo_wintab $version
====================

A plug-in that lets kumogiri scripts use a pen tablet through Wintab: the pen's position, pressure, tilt and
buttons reach a function of your script for every pen packet.

Installing: put kumo_wintab.dll where your kumogiri host loads plug-ins (beside the host program). Your
tablet's driver provides wintab32.dll. The plug-in and the host are 32-bit.

Commands: WT初期化, WT有効, WT無効, WT破棄, WT受信イベント設定, WT情報取得.
The guide: docs/guide.ja.md (日本語), docs/guide.en.md (English).

No tablet? virtual-tablet/ holds a simulated driver: copy its three files beside the host (without a real
wintab32.dll there). Once a script enables a context, the recorded stroke in wintab_stroke.txt is replayed
to the script's handler at its recorded timing. See the guide, "the virtual tablet".

License: MIT (see LICENSE).
TEXT
rm -f "$zip"
python3 - "$zip" "$readme" <<'PY'
import sys, zipfile
zip_path, readme = sys.argv[1], sys.argv[2]
entries = [
    ("kumo_wintab.dll", "build/product/bin/kumo_wintab.dll"),
    ("virtual-tablet/wintab32.dll", "build/product/bin/drivers/full/wintab32.dll"),
    ("virtual-tablet/wintab_profile.txt", "sim/data/sample_profile.txt"),
    ("virtual-tablet/wintab_stroke.txt", "sim/data/sample_stroke.txt"),
    ("docs/guide.ja.md", "docs/guide.ja.md"),
    ("docs/guide.en.md", "docs/guide.en.md"),
    ("README.txt", readme),
    ("LICENSE", "LICENSE"),
]
with zipfile.ZipFile(zip_path, "w", zipfile.ZIP_DEFLATED) as archive:
    for name, source in entries:
        # A fixed date: the same sources give the same zip.
        info = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
        info.compress_type = zipfile.ZIP_DEFLATED
        info.external_attr = 0o644 << 16
        with open(source, "rb") as f:
            archive.writestr(info, f.read())
PY
echo "$zip"
