#!/usr/bin/env bash
# Macros on a desktop the program cannot drive directly (weston, run by run-with-weston.sh): through its
# Xwayland, keys and clicks go to X11 windows only (said once on standard error) and the screen functions end
# with code 7 and the reason, never -1 or "not found" with status 0; with no X display, each kind of function
# names the interfaces the desktop lacks.
# Usage: run-with-weston.sh weston_test.sh path/to/QuillonMacro
set -uo pipefail

program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAILED: $1" >&2
  failures=$((failures + 1))
}

# Runs the macro given as lines; leaves the status in $status and the outputs in $work/out and $work/err.
run() {
  printf '%s\r\n' "$@" >"$work/macro.qlx"
  status=0
  "$program" "$work/macro.qlx" >"$work/out" 2>"$work/err" || status=$?
}

expect_status() {
  [ "$status" -eq "$1" ] || fail "$2: status $status, expected $1 (stderr: $(cat "$work/err"))"
}

expect_line() {
  grep -qxF -- "$1" "$work/$2" || fail "$3: no line \"$1\" in $2 ($(cat "$work/$2"))"
}

notice="Xwayland を通して操作します。キーとマウスの操作は、X11 のウィンドウにだけ届きます"
xwayland_reason="Xwayland を通しては画面を読み取れません（このデスクトップは、ほかのプログラムに画面の映像を渡しません）"

# A 2x2 picture to look for: FINDIMG must fail for the screen, not for its file.
printf 'BM\x46\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\2\0\0\0\2\0\0\0\1\0\x18\0\0\0\0\0\x10\0\0\0\x13\x0b\0\0\x13\x0b\0\0\0\0\0\0\0\0\0\0\xff\xff\xff\0\0\0\0\0\0\0\0\0\0\xff\xff\xff\0\0' \
  >"$work/picture.bmp"

# Through Xwayland: the keys and clicks are taken, with one notice, and the screen function ends the run.
run 'MUS 1, 10, 10' 'KBD VK_A, PRESS' 'MUS 1, 20, 20' 'PRINT "before"' 'PRINT GETCOLOR(10, 10)' 'PRINT "after"'
expect_status 7 "GETCOLOR through Xwayland"
expect_line "before" out "GETCOLOR through Xwayland"
grep -qx "after" "$work/out" && fail "GETCOLOR through Xwayland: the run went on"
grep -q -- "-1" "$work/out" && fail "GETCOLOR through Xwayland answered -1"
expect_line "$xwayland_reason - GETCOLOR" err "GETCOLOR through Xwayland"
expect_line "行=5" err "GETCOLOR through Xwayland"
[ "$(grep -cxF "$notice" "$work/err")" -eq 1 ] || fail "the input notice is not said exactly once: $(cat "$work/err")"

run "FINDIMG \"$work/picture.bmp\"" 'PRINT IMG_X'
expect_status 7 "FINDIMG through Xwayland"
expect_line "$xwayland_reason - FINDIMG" err "FINDIMG through Xwayland"
expect_line "行=1" err "FINDIMG through Xwayland"

# A macro that never uses the keys or the mouse hears nothing about them.
run 'PRINT "quiet"' 'WAIT 0'
expect_status 0 "a macro without input"
grep -qF "$notice" "$work/err" && fail "the notice came without any key or click"

# Without an X display, each part names what the compositor lacks.
unset DISPLAY
run 'MUS 1, 10, 10'
expect_status 7 "MUS on weston alone"
grep -q "zwp_virtual_keyboard_manager_v1.*org_kde_kwin_fake_input）がありません - MUS$" "$work/err" ||
  fail "MUS on weston alone: $(cat "$work/err")"
run 'PRINT GETCOLOR(1, 1)'
expect_status 7 "GETCOLOR on weston alone"
grep -q "zwlr_screencopy_manager_v1.*がありません - GETCOLOR$" "$work/err" ||
  fail "GETCOLOR on weston alone: $(cat "$work/err")"
run 'PRINT GETWINID("Untitled")'
expect_status 7 "GETWINID on weston alone"
grep -q "zwlr_foreign_toplevel_manager_v1.*がありません - GETWINID$" "$work/err" ||
  fail "GETWINID on weston alone: $(cat "$work/err")"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "all checks passed"
