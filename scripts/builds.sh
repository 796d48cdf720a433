#!/usr/bin/env bash
# The builds the test command makes, one per name, each into its own folder with warnings as errors:
#   linux    build/          everything, with the tests
#   release  build-release/  the engine and library, Release
#   windows  build-win/      the Windows programs, installer and zip (scripts/build-windows.sh)
#   asan     build-asan/     the engine, library and their tests with ASan + UBSan
#   fuzz     build-fuzz/     the fuzz target (clang, libFuzzer)
# Usage: scripts/builds.sh NAME...   (in the order given; stops at the first that fails)
# The test command and scripts/check-fresh-install.sh both build through here, so a fresh machine is checked
# with exactly the builds the test command makes.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
# The test builds are optimised as RelWithDebInfo is (-O2) but carry no debug information, which made each
# compile about a third slower and is only read by a debugger (a build for one: -DCMAKE_BUILD_TYPE=Debug or
# RelWithDebInfo in a folder of its own). The sanitizer and fuzz builds keep line tables (-g1), so their
# reports name files and lines.
plain=(-DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG")
lines_only=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG")

build_linux() {
  # The demo may have configured build/ without the tests and benchmarks: they are turned on again here.
  cmake -S . -B build -G Ninja "${plain[@]}" -DQM_WERROR=ON -DQM_TESTS=ON -DQM_BENCH=ON >/dev/null
  cmake --build build -j "$jobs"
}

build_release() {
  cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQM_WERROR=ON -DQM_GUI=OFF -DQM_BENCH=OFF \
    >/dev/null
  cmake --build build-release -j "$jobs" --target qm_interpreter qm_library
}

build_windows() {
  scripts/build-windows.sh
}

build_asan() {
  cmake -S . -B build-asan -G Ninja -DQM_SANITIZE=ON -DQM_WERROR=ON -DQM_GUI=OFF "${lines_only[@]}" >/dev/null
  cmake --build build-asan -j "$jobs"
}

build_fuzz() {
  cmake -S . -B build-fuzz -G Ninja -DQM_FUZZ=ON -DQM_FUZZ_SANITIZERS= -DQM_WERROR=ON -DQM_GUI=OFF \
    "${lines_only[@]}" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
  cmake --build build-fuzz -j "$jobs" --target macro_fuzzer
}

[ $# -gt 0 ] || { echo "usage: scripts/builds.sh linux|release|windows|asan|fuzz..." >&2; exit 2; }
for name in "$@"; do
  case "$name" in
    linux | release | windows | asan | fuzz) "build_$name" ;;
    *) echo "scripts/builds.sh: no build named $name" >&2; exit 2 ;;
  esac
done
