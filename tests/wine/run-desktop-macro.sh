#!/usr/bin/env bash
# Runs one desktop macro of tests/wine/macros through the Windows console runner under Wine and compares its
# output with the .out beside it (PRINT lines, then error lines). In the macro, @BIN@ stands for the folder of
# the Windows programs and @DIR@ for a fresh working folder, both as Windows paths.
# Usage: run-desktop-macro.sh RUNNER.exe MACRO.qlx
set -u
runner=$1
macro=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bin="Z:$(dirname "$runner" | tr / '\\')"
dir="Z:$(echo "$work" | tr / '\\')"
sed -e "s|@BIN@|${bin//\\/\\\\}|g" -e "s|@DIR@|${dir//\\/\\\\}|g" "$macro" >"$work/macro.qlx"

"$here/wine-exec.sh" "$runner" "Z:$work/macro.qlx" >"$work/out" 2>"$work/err"
status=$?
tr -d '\r' <"$work/out" | sed '$d' >"$work/prints"
grep -v '^ALSA' "$work/err" | tr -d '\r' >"$work/errors"
cat "$work/prints" "$work/errors" >"$work/actual"
if diff -u "${macro%.qlx}.out" "$work/actual"; then
  echo "ok: $(basename "$macro") (exit $status)"
  exit 0
fi
exit 1
