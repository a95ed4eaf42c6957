#!/usr/bin/env bash
# Runs every test: installs what is missing, builds the three trees, and runs
#   - the shipped 32-bit DLL's form checks (exports, imports, PE32),
#   - the release zip's checks (its files, both DLLs PE32),
#   - the Win32-free core natively with AddressSanitizer and UndefinedBehaviorSanitizer,
#   - every GoogleTest suite under Wine (the 64-bit Windows build of the same sources),
#   - each libFuzzer target for KUMO_FUZZ_SECONDS (default 30) from the committed seeds (tools/fuzz.sh).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
jobs=${KUMO_JOBS:-$(nproc)}

tools/setup.sh

cmake --preset product >/dev/null
cmake --build --preset product -j "$jobs"
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
cmake --preset wine >/dev/null
cmake --build --preset wine -j "$jobs"

status=0
tools/check-dll.sh build/product/bin/kumo_wintab.dll | tee build/dll-checks.log || status=1

echo "== release zip =="
release_zip=$(tools/release.sh) || status=1
tools/check-release.sh "$release_zip" | tee build/release-checks.log || status=1

echo "== native core tests (sanitizers) =="
ctest --preset native -j "$jobs" 2>&1 | tee build/native-tests.log || status=1

echo "== Wine tests =="
tools/wine-run.sh cmd /c exit >/dev/null 2>&1 || true # makes the prefix before tests run in parallel
ctest --preset wine -j "$jobs" 2>&1 | tee build/wine-tests.log || status=1

echo "== fuzzing =="
tools/fuzz.sh "${KUMO_FUZZ_SECONDS:-30}" 2>&1 | tee build/fuzz-checks.log || status=1

# One closing line for all of them: the sums of what each runner counted.
count() { sed -n "s/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1 \2/p" "$1" | tail -1; }
read -r native_failed native_total <<<"$(count build/native-tests.log)"
read -r wine_failed wine_total <<<"$(count build/wine-tests.log)"
read -r dll_passed dll_failed <<<"$(sed -n 's/^dll checks: \([0-9]*\) passed, \([0-9]*\) failed/\1 \2/p' build/dll-checks.log)"
read -r release_passed release_failed <<<"$(sed -n 's/^release checks: \([0-9]*\) passed, \([0-9]*\) failed/\1 \2/p' build/release-checks.log)"
read -r fuzz_passed fuzz_failed <<<"$(sed -n 's/^fuzz checks: \([0-9]*\) passed, \([0-9]*\) failed/\1 \2/p' build/fuzz-checks.log)"
failed=$(( ${native_failed:-1} + ${wine_failed:-1} + ${dll_failed:-1} + ${release_failed:-1} + ${fuzz_failed:-1} ))
total=$(( ${native_total:-0} + ${wine_total:-0} + ${dll_passed:-0} + ${dll_failed:-1} + ${release_passed:-0} + ${release_failed:-1} ))
total=$(( total + ${fuzz_passed:-0} + ${fuzz_failed:-1} ))
[ "$failed" -eq 0 ] || status=1
echo "all tests: $((total - failed)) passed, $failed failed"
exit $status
