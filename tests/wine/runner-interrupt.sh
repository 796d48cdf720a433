#!/usr/bin/env bash
# Ctrl+C stops a run of the Windows console runner like the Stop command: the runner under Wine gets SIGINT
# (which Wine hands to the program as Ctrl+C) during an endless macro, and again while a message box waits for
# an answer, then must end with status 100, the closing line and the stop's error lines.
# Usage: runner-interrupt.sh RUNNER.exe
set -u
runner=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'PRINT "started"\r\nWHILE 1\r\nWEND\r\n' >"$work/endless.qlx"
printf 'PRINT "started"\r\nDIM x\r\nx = MSGBOX("待っています")\r\nPRINT "never"\r\n' >"$work/box.qlx"

# Runs the macro, interrupts it `delay` seconds after its first line, and checks how it ended.
interrupted() {
  local macro=$1 delay=$2
  "$here/wine-exec.sh" "$runner" "Z:$work/$macro" >"$work/out" 2>"$work/err" &
  local pid=$!
  for _ in $(seq 600); do
    grep -q started "$work/out" && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  sleep "$delay"
  kill -INT "$pid"
  local status=124
  for _ in $(seq 300); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      status=$?
      break
    fi
    sleep 0.1
  done
  [ "$status" = 124 ] && kill -KILL "$pid" 2>/dev/null

  local ok=1
  [ "$status" = 100 ] || { echo "$macro: exit status $status, expected 100"; ok=0; }
  [ "$(tr -d '\r' <"$work/out")" = "$(printf 'started\n終了しました。')" ] || { echo "$macro: stdout:"; cat "$work/out"; ok=0; }
  grep -v '^ALSA' "$work/err" | tr -d '\r' | head -n 1 | grep -qx 'ユーザによって終了されました' ||
    { echo "$macro: stderr:"; cat "$work/err"; ok=0; }
  [ "$ok" = 1 ] && echo "ok: Ctrl+C stopped $macro with status 100"
  [ "$ok" = 1 ]
}

# The box is up well within the second and a half; a box that ignored the stop would keep the run waiting.
interrupted endless.qlx 0 && interrupted box.qlx 1.5
