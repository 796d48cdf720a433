#!/usr/bin/env bash
# Builds the Qt smoke program against the static Windows Qt (building that Qt first if its cache is missing) and
# runs it under Wine on a private X display with a window manager: its checks (platform plugin, Japanese glyphs,
# the question box) must pass, and a screenshot of its window with the question box open is saved for looking at.
# Usage: tests/wine/qt_smoke/run-qt-smoke.sh [BUILD_DIR]   (default build-qt-smoke; the screenshot goes to
#        BUILD_DIR/screenshots/qt_smoke.png). Exit status 0 when the program passed its checks and showed its window.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
build=${1:-$root/build-qt-smoke}
mkdir -p "$build"
build=$(cd "$build" && pwd)

qt=$("$root/scripts/build-qt-windows.sh")
"$qt/bin/qt-cmake" -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >"$build/configure.log" 2>&1 ||
  { tail -n 30 "$build/configure.log" >&2; exit 1; }
cmake --build "$build" >"$build/build.log" 2>&1 || { tail -n 30 "$build/build.log" >&2; exit 1; }
exe="$build/qt_smoke.exe"
x86_64-w64-mingw32-strip -o "$build/qt_smoke-stripped.exe" "$exe"
echo "qt_smoke.exe: $(stat -c %s "$exe") bytes, stripped $(stat -c %s "$build/qt_smoke-stripped.exe") bytes"
# Only Windows' own DLLs may be imported: a static Qt and a static runtime.
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
echo "imports: $(echo $imports)"
if echo "$imports" | grep -qiE '^(libgcc|libstdc|libwinpthread|qt6|zlib|libpng|libfreetype)'; then
  echo "run-qt-smoke: the program needs DLLs that are not part of Windows" >&2
  exit 1
fi

export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$build/screenshots"
rm -f "$build/screenshots/qt_smoke.png"

inside_display() {
  set -u
  local wine wineserver status=0
  wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
  wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
  "$wine" wineboot --init >/dev/null 2>&1
  # Wine's dialog fonts have no Japanese-capable face of their own; they are mapped to a host Japanese font.
  local face
  for face in Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "MS UI Gothic"; do
    "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d IPAGothic /f >/dev/null 2>&1
  done
  "$wineserver" -w

  echo "== qt_smoke --check"
  "$wine" "$exe" --check || status=1

  echo "== qt_smoke --show"
  local out="$build/show.out"
  : >"$out"
  "$wine" "$exe" --show 6 >"$out" 2>&1 &
  local pid=$!
  for _ in $(seq 1 300); do
    grep -q '^shown' "$out" && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if grep -q '^shown' "$out"; then
    import -window root "$build/screenshots/qt_smoke.png"
  else
    echo "the window never showed" >&2
    status=1
  fi
  wait "$pid" || status=1
  cat "$out"
  grep -q '^answered' "$out" || status=1
  "$wineserver" -k 2>/dev/null || true
  return $status
}
export -f inside_display
export build exe
status=0
"$root/tests/run-with-display.sh" bash -c inside_display || status=$?
[ -f "$build/screenshots/qt_smoke.png" ] && echo "screenshot: $build/screenshots/qt_smoke.png"
exit $status
