#!/usr/bin/env bash
# Cross-builds the Windows programs with mingw-w64 into build-win/: the editor QuillonMacro.exe, the console
# runner QuillonMacroConsole.exe, Glossel.exe with its data, and the Windows test programs; then packs the
# installer and the portable zip, build-win/QuillonMacro-<version>-win64.exe and .zip (CPack with NSIS).
# Installs the cross compiler, Wine and NSIS first, and builds the static Qt for Windows when its cache is
# missing (the first time only: about half an hour to an hour on two cores; see scripts/build-qt-windows.sh).
# QM_WIN_GUI=OFF builds only the console runner (as build-win/bin/QuillonMacro.exe), without Qt.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-windows-deps.sh

build=build-win
# Optimised as RelWithDebInfo is (-O2), without its debug information: the packages strip it anyway, and it
# made each compile about a third slower. QM_WIN_BUILD_TYPE=RelWithDebInfo (or Debug) keeps it for a debugger.
if [ -n "${QM_WIN_BUILD_TYPE:-}" ]; then
  options=(-G Ninja -DCMAKE_BUILD_TYPE="$QM_WIN_BUILD_TYPE")
else
  options=(-G Ninja -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG")
fi
options+=(-DQM_BENCH=OFF -DQM_WERROR=ON)
if [ "${QM_WIN_GUI:-ON}" = OFF ]; then
  configure=(cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DQM_GUI=OFF)
  toolchain_mark=mingw-w64-x86_64.cmake
else
  echo "== Qt for Windows (built once, then cached) =="
  qt=$(scripts/build-qt-windows.sh)
  # Qt's qt-cmake sets up the cross toolchain Qt itself was built with and lets CMake find that Qt.
  configure=("$qt/bin/qt-cmake" -DQM_GUI=ON)
  toolchain_mark="$qt/lib/cmake/Qt6/qt.toolchain.cmake"
fi
# A build folder made with the other toolchain cannot switch over: it starts again.
if [ -f "$build/CMakeCache.txt" ] && ! grep -q "^CMAKE_TOOLCHAIN_FILE:.*$toolchain_mark" "$build/CMakeCache.txt"; then
  rm -rf "$build"
fi

echo "== Windows build (mingw-w64) =="
"${configure[@]}" -S . -B "$build" "${options[@]}" "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"

echo "== Windows packages (cpack: installer and portable zip) =="
if ! (cd "$build" && cpack -G "NSIS;ZIP" >cpack.log 2>&1); then
  cat "$build/cpack.log" >&2
  echo "cpack failed (log above, also in $build/cpack.log)" >&2
  exit 1
fi
sed -n "s|^CPack: - package: .*/\(.*\) generated\.\$|$build/\1|p" "$build/cpack.log"
