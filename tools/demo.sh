#!/usr/bin/env bash
# The main job: a whole tablet session as a script would run it, with the simulated tablet driver, under Wine.
#   tools/demo.sh [--out DIR] [--profile FILE] [--stroke FILE]
# The host program (kumo_host.exe --demo) prints the session and writes an SVG of what the script's handler
# received into DIR (default build/demo); a PNG of it is made here when rsvg-convert or ImageMagick is there.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
out=build/demo
host_options=()
while [ $# -gt 0 ]; do
    case $1 in
    --out) out=${2:?--out expects a folder}; shift 2 ;;
    --profile | --stroke) host_options+=("$1" "Z:$(realpath -m "${2:?$1 expects a file}")"); shift 2 ;;
    *) echo "usage: tools/demo.sh [--out DIR] [--profile FILE] [--stroke FILE]" >&2; exit 1 ;;
    esac
done
tools/setup.sh
cmake --preset wine >/dev/null
cmake --build --preset wine -j "${KUMO_JOBS:-$(nproc)}" --target kumo_host >/dev/null
mkdir -p "$out"
out=$(realpath "$out")
picture=$out/kumo_demo_stroke.svg
rm -f "$picture" "${picture%.svg}.png"
tools/wine-run.sh build/wine/bin/kumo_host.exe --demo --out "Z:$out" "${host_options[@]}"
if command -v rsvg-convert >/dev/null; then
    rsvg-convert --background-color=white -o "${picture%.svg}.png" "$picture"
elif command -v convert >/dev/null; then
    convert "$picture" "${picture%.svg}.png" 2>/dev/null || true
fi
echo "demo: picture of what the handler received: $picture"
[ -f "${picture%.svg}.png" ] && echo "demo: the same as PNG: ${picture%.svg}.png"
exit 0
