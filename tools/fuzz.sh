#!/usr/bin/env bash
# Fuzzes the Win32-free core with libFuzzer: builds the clang tree build/fuzz, copies the committed seeds to a
# scratch folder (the committed corpus stays small), runs each target for SECONDS (default 30) and prints per
# target its executions and "0 findings", or the broken invariant and where the input was kept.
# Exits non-zero when any target found something. The closing line counts each target as one check.
#   tools/fuzz.sh [SECONDS]
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
seconds=${1:-30}
jobs=${KUMO_JOBS:-2}
tree=build/fuzz

if ! { cmake -S . -B "$tree" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
         -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKUMO_FUZZ=ON -DKUMO_BUILD_TESTS=OFF >/dev/null &&
       cmake --build "$tree" -j "$jobs" --target call_text_fuzz report_fuzz >/dev/null; }; then
    echo "fuzz: the fuzz tree did not build"
    echo "fuzz checks: 0 passed, 2 failed"
    exit 1
fi

scratch=$(mktemp -d "$PWD/$tree/run.XXXXXX")
passed=0
failed=0
# target, longest input (bytes)
for entry in call_text:4096 report:8192; do
    name=${entry%%:*}
    max_len=${entry##*:}
    mkdir -p "$scratch/$name/corpus" "$scratch/$name/findings"
    cp fuzz/corpus/"$name"/* "$scratch/$name/corpus/"
    log=$scratch/$name/fuzz.log
    "$tree/fuzz/${name}_fuzz" -max_len="$max_len" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$scratch/$name/findings/" "$scratch/$name/corpus" >"$log" 2>&1
    result=$?
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    findings=$(find "$scratch/$name/findings" -type f | wc -l)
    if [ "$result" -eq 0 ] && [ "$findings" -eq 0 ]; then
        echo "${name}_fuzz: ${executions:-?} executions in ${seconds} s, 0 findings"
        passed=$((passed + 1))
    else
        echo "${name}_fuzz: FINDING after ${executions:-?} executions (exit $result)"
        # The invariant the target reports, or the sanitizer's summary.
        grep -E "^(call text|report): |^SUMMARY: |ERROR: libFuzzer" "$log" | head -5 | sed 's/^/    /'
        find "$scratch/$name/findings" -type f | sed 's/^/    input kept: /'
        echo "    full log: $log"
        failed=$((failed + 1))
    fi
done
echo "fuzz checks: $passed passed, $failed failed"
# A scratch folder is kept only when it holds a finding.
[ "$failed" -eq 0 ] && rm -rf "$scratch"
[ "$failed" -eq 0 ]
