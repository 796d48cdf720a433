#!/usr/bin/env bash
# The portable zip: one top folder holding the programs, the licence, the example, the viewer's data and the
# user guide as in the source tree, names that Windows reads as UTF-8, no uninstaller; unpacked into a folder whose path has a
# blank and Japanese in it, its console runner runs the example from there under Wine.
# Usage: check-zip.sh BUILD_DIR SOURCE_DIR PACKAGE_NAME RUNNER_EXE [editor=EXE] [viewer=EXE]
set -u
. "$(dirname "$0")/package-check-arguments.sh"
zip="$build/$name.zip"
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

unzip -Z1 "$zip" >"$work/entries" || { echo "FAIL: cannot list $zip"; exit 1; }
grep -v "^$name/" "$work/entries" | sed 's/^/outside the top folder: /' | grep . && fail "entries outside $name/"
grep -q "/Uninstall.exe$" "$work/entries" && fail "the portable zip holds an uninstaller"

# Non-ASCII names (the viewer's data) must carry the zip's UTF-8 flag, or Windows shows them in its own code page.
python3 - "$zip" <<'EOF' || fail "names without the UTF-8 flag"
import sys, zipfile
bad = [i.filename for i in zipfile.ZipFile(sys.argv[1]).infolist()
       if not i.filename.isascii() and not i.flag_bits & 0x800]
for name in bad:
    print("no UTF-8 flag:", name)
sys.exit(1 if bad else 0)
EOF

unpacked="$work/ポータブル 版"
mkdir -p "$unpacked"
unzip -q "$zip" -d "$unpacked" || fail "cannot unpack $zip"
top="$unpacked/$name"
for program in QuillonMacro.exe "$runner" $editor $viewer; do
  [ -f "$top/$program" ] || fail "no $program"
done
cmp -s "$source/LICENSE" "$top/LICENSE.txt" || fail "LICENSE.txt is not the project's LICENSE"
cmp -s "$source/examples/demo.qlx" "$top/examples/demo.qlx" || fail "examples/demo.qlx differs from the source"
if [ -n "$viewer" ]; then
  diff -r "$source/viewer/data" "$top/data" >"$work/data.diff" || { cat "$work/data.diff"; fail "data/ differs from viewer/data"; }
else
  [ ! -e "$top/data" ] || fail "data/ without the viewer"
fi
# The user guide beside the editor, which its help window reads from there.
if [ -n "$editor" ]; then
  diff -r "$source/docs/guide" "$top/guide" >"$work/guide.diff" || { cat "$work/guide.diff"; fail "guide/ differs from docs/guide"; }
else
  [ ! -e "$top/guide" ] || fail "guide/ without the editor"
fi

demo="Z:${top//\//\\}\\examples\\demo.qlx"
"$here/wine-exec.sh" "$top/$runner" "$demo" >"$work/demo.out" 2>"$work/demo.err"
status=$?
{ [ "$status" = 0 ] && [ ! -s "$work/demo.err" ] && tail -n 1 "$work/demo.out" | grep -q '終了しました。'; } ||
  fail "the unpacked $runner on $demo: status $status, $(cat "$work/demo.err")"

if [ "$failures" -ne 0 ]; then
  echo "$failures zip check(s) failed"
  exit 1
fi
echo "zip checks passed: $(grep -vc '/$' "$work/entries") files"
