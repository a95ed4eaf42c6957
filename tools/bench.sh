#!/usr/bin/env bash
# Builds and runs both benchmarks and prints their figures (docs/performance.md explains them):
#   - the call text of one packet, natively (Google Benchmark, Release -O2), against a snprintf builder;
#   - packets through the real plug-in DLL under Wine (x86_64 Release, the product's flags), against the bare
#     message round trip.
# Each benchmark builds in a tree of its own (build/bench, build/bench-wine); the test trees are not touched.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
jobs=${KUMO_JOBS:-2}

tools/setup.sh

cmake --no-warn-unused-cli -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DKUMO_BENCH=ON -DKUMO_BUILD_TESTS=OFF >/dev/null
cmake --build build/bench --target call_text_bench -j "$jobs" >/dev/null
cmake --no-warn-unused-cli -S . -B build/bench-wine -G Ninja --toolchain cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
      -DKUMO_BENCH=ON -DKUMO_BUILD_TESTS=OFF >/dev/null
cmake --build build/bench-wine --target dispatch_bench comctl32_stub -j "$jobs" >/dev/null

echo "== machine =="
echo "$(nproc) cores: $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1); load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "$(/usr/lib/wine/wine64 --version) (64-bit); the x86_64 build runs, this kernel runs no 32-bit code"
echo
echo "== call text of one packet, natively =="
build/bench/bench/call_text_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_color=false
echo
echo "== packets through the plug-in, under Wine =="
tools/wine-run.sh build/bench-wine/bench/dispatch_bench.exe
echo
# The plug-in's other hook: a comctl32 without subclassing makes it replace the window procedure.
KUMO_DLL_OVERRIDES=comctl32=n tools/wine-run.sh build/bench-wine/bench/dispatch_bench.exe window-procedure
