#!/usr/bin/env bash
# The test command: installs what is missing, builds, and runs every test (unit, corpus, command line),
# then a Release build, the Windows build with its tests under Wine, the sanitizer build of the engine and
# library tests and a short bounded fuzz run.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/install-deps.sh

echo "== build and test =="
cmake -S . -B build -G Ninja -DQM_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== release build (engine and library, warnings as errors) =="
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQM_WERROR=ON -DQM_GUI=OFF -DQM_BENCH=OFF \
  >/dev/null
cmake --build build-release -j "$jobs" --target qm_interpreter qm_library

echo "== Windows build and tests under Wine =="
scripts/build-windows.sh
tests/wine/run-wine-tests.sh build-win

echo "== sanitizer build (ASan + UBSan) =="
cmake -S . -B build-asan -G Ninja -DQM_SANITIZE=ON -DQM_WERROR=ON -DQM_GUI=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== fuzz (short run) =="
cmake -S . -B build-fuzz -G Ninja -DQM_FUZZ=ON -DQM_FUZZ_SANITIZERS= -DQM_WERROR=ON -DQM_GUI=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-fuzz -j "$jobs" --target macro_fuzzer
mkdir -p build-fuzz/corpus
build-fuzz/bin/macro_fuzzer -max_total_time="${QM_FUZZ_SECONDS:-60}" -max_len=4096 -timeout=10 \
  -rss_limit_mb=2048 -dict=tests/fuzz/macro.dict build-fuzz/corpus tests/fuzz/seeds tests/macros
echo "All tests passed."
