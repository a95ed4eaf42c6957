#!/usr/bin/env bash
# The main job: a whole tablet session as a script would run it, with the simulated tablet driver, under Wine.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
tools/setup.sh
cmake --preset wine >/dev/null
cmake --build --preset wine -j "${KUMO_JOBS:-$(nproc)}" >/dev/null
exec tools/wine-run.sh build/wine/bin/kumo_host.exe --demo "$@"
