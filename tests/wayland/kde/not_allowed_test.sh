#!/usr/bin/env bash
# A KWin whose desktop files do not allow this program its fake input and screen cast (run by run-with-kwin.sh
# with QM_KWIN_NO_DESKTOP_FILE=1): each kind of function ends with code 7 and names what the program would
# need, among it KWin's own interfaces.
# Usage: not_allowed_test.sh path/to/QuillonMacro
set -uo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() { # macro line, pattern of the reason line
  printf '%s\r\n' "$1" >"$work/macro.qlx"
  local status=0
  "$program" "$work/macro.qlx" >"$work/out" 2>"$work/err" || status=$?
  if [ "$status" -ne 7 ] || ! grep -q "$2" "$work/err"; then
    echo "FAILED: $1: status $status, stderr: $(cat "$work/err")" >&2
    failures=$((failures + 1))
  fi
}
check 'MUS 1, 10, 10' 'org_kde_kwin_fake_input）がありません - MUS$'
check 'KBD VK_A, PRESS' 'org_kde_kwin_fake_input）がありません - KBD$'
check 'PRINT GETCOLOR(1, 1)' 'zkde_screencast_unstable_v1）がありません - GETCOLOR$'
check 'PRINT GETWINID("x")' 'zwlr_foreign_toplevel_manager_v1.*がありません - GETWINID$'
[ "$failures" -eq 0 ] || exit 1
echo "all checks passed"
