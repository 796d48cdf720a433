#!/usr/bin/env bash
# The test command: installs what is missing, builds, and runs every test (unit, corpus, command line),
# then a Release build, the sanitizer build of the engine and library tests, a short bounded fuzz run, and the
# Windows build with its tests under Wine. The builds themselves are scripts/builds.sh's.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

# The Qt for Windows needs only the cross toolchain and its sources: its packages are installed first, so that
# its download and (single-threaded) configuration run while the other packages install.
if [ "${QM_WIN_GUI:-ON}" != OFF ]; then scripts/install-windows-deps.sh; fi

# On a fresh machine the static Qt for Windows is the longest step (half an hour or more), while the Linux tests
# leave the CPUs idle much of the time (they wait on displays and window managers): it is built beside the Linux
# build and tests, at a lower priority, and waited for before the Windows build. With its cache in place it
# returns at once.
qt_log=$(mktemp)
qt_build=
# A failure before the Windows build ends the Qt build too (in its own process group, with its compilers);
# its cache is completed by the next run.
end_qt_build() {
  if [ -n "$qt_build" ]; then kill -- "-$qt_build" 2>/dev/null || true; fi
  rm -f "$qt_log"
}
trap end_qt_build EXIT
if [ "${QM_WIN_GUI:-ON}" != OFF ]; then
  # A session of its own is also a scheduling group of its own (the kernel's autogroups), where nice alone
  # would only rank the build against itself: the group's own nice value yields the CPUs to the Linux build.
  setsid sh -c 'echo 10 >/proc/self/autogroup 2>/dev/null; exec nice -n 10 scripts/build-qt-windows.sh' \
    >"$qt_log" 2>&1 &
  qt_build=$!
fi

scripts/install-deps.sh --test

echo "== build and test =="
scripts/builds.sh linux
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== release build (engine and library, warnings as errors) =="
scripts/builds.sh release

# The sanitizer and fuzz builds need no Qt for Windows: they come before the wait for it, so on a fresh machine
# only the Windows build and its tests are left once that Qt is ready.
echo "== sanitizer build (ASan + UBSan) =="
scripts/builds.sh asan
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== fuzz (short run) =="
scripts/builds.sh fuzz
mkdir -p build-fuzz/corpus
build-fuzz/bin/macro_fuzzer -max_total_time="${QM_FUZZ_SECONDS:-60}" -max_len=4096 -timeout=10 \
  -rss_limit_mb=2048 -dict=tests/fuzz/macro.dict build-fuzz/corpus tests/fuzz/seeds tests/macros

echo "== Windows build and tests under Wine =="
if [ -n "$qt_build" ]; then
  qt_status=0
  wait "$qt_build" || qt_status=$?
  qt_build=
  if [ "$qt_status" -ne 0 ]; then
    cat "$qt_log" >&2
    exit 1
  fi
fi
scripts/builds.sh windows
tests/wine/run-wine-tests.sh build-win
echo "All tests passed."
