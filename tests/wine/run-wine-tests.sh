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

# Sound output goes to ALSA's null device, so MCI really plays (and takes its time) on a machine without a
# sound card; Wine finds the setting through HOME.
mkdir -p "$build/wine-home"
printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' >"$build/wine-home/.asoundrc"
export HOME="$build/wine-home"

inside_display() {
  # A new prefix is created once (about half a minute); later runs reuse it. Wine draws all its windows in one
  # virtual desktop of the display's size, so focus, activation and window states follow Windows' rules
  # rather than those of the X window manager.
  "$wine" wineboot --init >/dev/null 2>&1
  "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1
  # Wine's own window captions and dialog texts use Tahoma and the dialog fonts, which Wine does not carry
  # here: mapped to the host's Japanese font, captions such as "Quillonマクロ" show their Japanese (and Latin
  # text no serif fallback).
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\n' >"$build/wine-fonts.reg"
  local face
  for face in Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "MS UI Gothic"; do
    printf '"%s"="IPAGothic"\n' "$face" >>"$build/wine-fonts.reg"
  done
  "$wine" regedit /S "$build/wine-fonts.reg" >/dev/null 2>&1
  "$wineserver" -w
  ctest --test-dir "$build" -L wine --output-on-failure "$@"
  local status=$?
  "$wineserver" -k 2>/dev/null
  return $status
}
export -f inside_display
export build wine wineserver
exec "$here/../run-with-display.sh" bash -c 'inside_display "$@"' inside_display "$@"
