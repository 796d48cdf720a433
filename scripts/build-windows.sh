#!/usr/bin/env bash
# Cross-builds the Windows programs with mingw-w64 into build-win/: the engine, the library, the Win32
# platform, the console macro runner build-win/bin/QuillonMacro.exe and the Windows test programs.
# Installs the cross compiler and Wine first (scripts/install-windows-deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-windows-deps.sh

echo "== Windows build (mingw-w64) =="
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE="${QM_WIN_BUILD_TYPE:-RelWithDebInfo}" -DQM_GUI=OFF -DQM_BENCH=OFF -DQM_WERROR=ON >/dev/null
cmake --build build-win -j "$(nproc)"
