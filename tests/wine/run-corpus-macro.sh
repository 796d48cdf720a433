#!/usr/bin/env bash
# Runs one macro of tests/macros through the Windows console runner under Wine and compares with its .out:
# the PRINT lines (standard output without the closing line) followed by the error lines (standard error).
# The exit status must be 0 exactly when the macro ends without an error.
# Usage: run-corpus-macro.sh RUNNER.exe MACRO.qlx
set -u
runner=$1
macro=$2
expected=${macro%.qlx}.out
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$here/wine-exec.sh" "$runner" "Z:$macro" >"$work/out" 2>"$work/err"
status=$?
tr -d '\r' <"$work/out" >"$work/out.lf"
tr -d '\r' <"$work/err" >"$work/err.lf"
# The closing line is the last line of standard output whenever the macro parsed.
if [ "$(tail -n 1 "$work/out.lf")" = "終了しました。" ]; then
  sed '$d' "$work/out.lf" >"$work/prints"
else
  cp "$work/out.lf" "$work/prints"
fi
cat "$work/prints" "$work/err.lf" >"$work/actual"
tr -d '\r' <"$expected" >"$work/expected"

ok=1
if ! diff -u "$work/expected" "$work/actual"; then ok=0; fi
if [ -s "$work/err.lf" ] && [ "$status" -eq 0 ]; then echo "error lines but exit status 0"; ok=0; fi
if [ ! -s "$work/err.lf" ] && [ "$status" -ne 0 ]; then echo "no error lines but exit status $status"; ok=0; fi
[ "$ok" = 1 ] && echo "ok: $(basename "$macro") (exit $status)"
[ "$ok" = 1 ]
