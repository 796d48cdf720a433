#!/usr/bin/env bash
# Runs the Windows tests of a cross build (CTest label "wine") under Wine: one private X display with a window
# manager for all of them, one private Wine prefix in the build folder, Wine's own messages off. Ends the Wine
# processes of that prefix afterwards. The exit status is CTest's.
# Usage: tests/wine/run-wine-tests.sh [BUILD_DIR] [ctest arguments...]   (default build-win)
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build-win}" && pwd) || exit 1
shift || true
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

inside_display() {
  # A new prefix is created once (about half a minute); later runs reuse it.
  "$wine" wineboot --init >/dev/null 2>&1
  "$wineserver" -w
  ctest --test-dir "$build" -L wine --output-on-failure "$@"
  local status=$?
  "$wineserver" -k 2>/dev/null
  return $status
}
export -f inside_display
export build wine wineserver
exec "$here/../run-with-display.sh" bash -c 'inside_display "$@"' inside_display "$@"
