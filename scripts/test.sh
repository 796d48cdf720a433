#!/usr/bin/env bash
# The test command: installs what is missing, builds, and runs every test (unit, corpus, command line),
# then a Release build, the Windows build with its tests under Wine, the sanitizer build of the engine and
# library tests and a short bounded fuzz run. The builds themselves are scripts/builds.sh's.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/install-deps.sh

echo "== build and test =="
scripts/builds.sh linux
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== release build (engine and library, warnings as errors) =="
scripts/builds.sh release

echo "== Windows build and tests under Wine =="
scripts/builds.sh windows
tests/wine/run-wine-tests.sh build-win

echo "== sanitizer build (ASan + UBSan) =="
scripts/builds.sh asan
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== fuzz (short run) =="
scripts/builds.sh fuzz
mkdir -p build-fuzz/corpus
build-fuzz/bin/macro_fuzzer -max_total_time="${QM_FUZZ_SECONDS:-60}" -max_len=4096 -timeout=10 \
  -rss_limit_mb=2048 -dict=tests/fuzz/macro.dict build-fuzz/corpus tests/fuzz/seeds tests/macros
echo "All tests passed."
