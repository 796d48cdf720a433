#!/usr/bin/env bash
# Checks the install as a user gets it: installs the build into a temporary prefix, runs the macro corpus with
# the installed program, starts the installed viewer, builds the Debian package and checks its contents and
# lintian's verdict. Usage: check-install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

# 1. The installed layout.
expected=(
  bin/QuillonMacro
  lib/quillonmacro/parts/quillonmacro-editor.so
  lib/quillonmacro/parts/quillonmacro-images.so
  share/applications/quillonmacro.desktop
  share/mime/packages/quillonmacro.xml
  share/icons/hicolor/scalable/apps/quillonmacro.svg
  share/man/man1/QuillonMacro.1.gz
  share/man/ja/man1/QuillonMacro.1.gz
  share/doc/quillonmacro/copyright
  # the user guide, which the editor's help window reads from there
  share/doc/quillonmacro/guide/index.md
  share/doc/quillonmacro/guide/images/editor_idle.png
  # The window functions on GNOME: the extension (the script form system-wide for GNOME Shell 43-44, the
  # module form for 45 and later, which the enable command copies for the user) and the enable command.
  bin/quillonmacro-gnome-windows
  share/man/man1/quillonmacro-gnome-windows.1.gz
  share/gnome-shell/extensions/windows@quillonmacro.org/metadata.json
  share/gnome-shell/extensions/windows@quillonmacro.org/extension.js
  share/gnome-shell/extensions/windows@quillonmacro.org/service.js
  share/quillonmacro/gnome-shell-extension/45/windows@quillonmacro.org/metadata.json
  share/quillonmacro/gnome-shell-extension/45/windows@quillonmacro.org/extension.js
  share/quillonmacro/gnome-shell-extension/45/windows@quillonmacro.org/service.js
)
has_viewer=0
if [ -f "$source/viewer/CMakeLists.txt" ]; then
  has_viewer=1
  expected+=(bin/Glossel share/applications/glossel.desktop share/man/man1/Glossel.1.gz
    share/quillonmacro/data/Data.ini)
fi
for f in "${expected[@]}"; do
  [ -e "$prefix/$f" ] || fail "not installed: $f"
done
diff -r "$source/docs/guide" "$prefix/share/doc/quillonmacro/guide" >"$work/guide.diff" ||
  fail "the installed guide differs from docs/guide: $(head -5 "$work/guide.diff")"
grep -qx "Exec=$prefix/bin/QuillonMacro --edit %f" "$prefix/share/applications/quillonmacro.desktop" ||
  fail "the desktop entry must name the installed program by its path and open files in the editor (--edit)"
grep -qx 'X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input,zkde_screencast_unstable_v1,org_kde_plasma_window_management' \
  "$prefix/share/applications/quillonmacro.desktop" || fail "the desktop entry does not ask KWin for its interfaces"

# The installed enable command finds the installed extension beside itself.
shell_status=$(env -u DBUS_SESSION_BUS_ADDRESS -u DISPLAY HOME="$work/home" XDG_DATA_HOME="$work/home/data" \
  XDG_CONFIG_HOME="$work/home/config" "$prefix/bin/quillonmacro-gnome-windows" status 2>&1 || true)
grep -qF "インストール先: $prefix/share/gnome-shell/extensions/windows@quillonmacro.org" <<<"$shell_status" ||
  fail "the installed quillonmacro-gnome-windows does not find the installed extension: $shell_status"
grep -q '"shell-version": \["43", "44"\]' \
  "$prefix/share/gnome-shell/extensions/windows@quillonmacro.org/metadata.json" ||
  fail "the system-wide extension must be the form for GNOME Shell 43 and 44"

# 2. The macro corpus through the installed program, without a display: standard output (less the closing
# line) followed by standard error must equal the expected output.
corpus=0
for macro in "$source"/tests/macros/*.qlx; do
  expected_out="${macro%.qlx}.out"
  [ -f "$expected_out" ] || continue
  corpus=$((corpus + 1))
  set +e
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$work/home" \
    timeout 60 "$prefix/bin/QuillonMacro" "$macro" >"$work/out" 2>"$work/err"
  status=$?
  set -e
  if [ "$status" -ge 124 ] && [ "$status" -ne 100 ]; then fail "$(basename "$macro"): status $status"; fi
  { sed '${/^終了しました。$/d}' "$work/out"; cat "$work/err"; } >"$work/actual"
  cmp -s "$work/actual" "$expected_out" || fail "$(basename "$macro"): output differs from $(basename "$expected_out")"
done
[ "$corpus" -gt 0 ] || fail "no corpus macros found"
echo "corpus: $corpus macros run with the installed program"

# 3. The installed editor (its window a separately loaded part) and viewer start and stay up (offscreen); the
# viewer finds its data read-only under the prefix.
stays_up() { # NAME LOG COMMAND...
  local name=$1 log=$2
  shift 2
  QT_QPA_PLATFORM=offscreen HOME="$work/home" "$@" >"$log" 2>&1 &
  local pid=$!
  sleep 3
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid"
    wait "$pid" 2>/dev/null || true
  else
    fail "the installed $name did not stay up: $(cat "$log")"
  fi
}
stays_up QuillonMacro "$work/editor.log" "$prefix/bin/QuillonMacro" --edit "$source/examples/demo.qlx"
if [ "$has_viewer" = 1 ]; then
  stays_up Glossel "$work/viewer.log" "$prefix/bin/Glossel"
fi

# 4. The Debian package: built by cpack in the build folder, its contents and lintian's verdict.
(cd "$build" && cpack -G DEB >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$build/quillonmacro_${version}_amd64.deb"
if [ -f "$deb" ]; then
  dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./||' >"$work/contents"
  for f in "${expected[@]}"; do
    grep -qx "usr/$f" "$work/contents" || fail "package lacks usr/$f"
  done
  dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "package dependencies miss Qt (shlibdeps)"
  # SDL2_mixer is loaded only when a macro plays a sound, so it is a declared dependency, not a linked one.
  dpkg-deb -f "$deb" Depends | grep -q 'libsdl2-mixer-2.0-0' || fail "package dependencies miss SDL2_mixer"
  # Qt's own texts in the dialogs are Japanese only with Qt's translations installed.
  dpkg-deb -f "$deb" Depends | grep -q 'qt6-translations-l10n' || fail "package dependencies miss Qt's translations"
  # KWin matches the entry's program path against the running program's own.
  dpkg-deb --fsys-tarfile "$deb" | tar -xOf - ./usr/share/applications/quillonmacro.desktop |
    grep -qx 'Exec=/usr/bin/QuillonMacro --edit %f' || fail "the package's desktop entry does not name /usr/bin/QuillonMacro"
  lintian --no-tag-display-limit "$deb" >"$work/lintian.log" 2>&1 || true
  if grep -q '^E:' "$work/lintian.log"; then
    grep '^E:' "$work/lintian.log" >&2
    fail "lintian reports errors"
  fi
  grep '^W:' "$work/lintian.log" || true
else
  fail "no package $deb"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures install check(s) failed" >&2
  exit 1
fi
echo "install checks passed"
