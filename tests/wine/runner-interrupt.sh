#!/usr/bin/env bash
# Ctrl+C stops a run of the Windows console runner like the Stop command: the runner under Wine gets SIGINT
# (which Wine hands to the program as Ctrl+C) during an endless macro, then must end with status 100, the
# closing line and the stop's error lines.
# Usage: runner-interrupt.sh RUNNER.exe
set -u
runner=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'PRINT "started"\r\nWHILE 1\r\nWEND\r\n' >"$work/endless.qlx"

"$here/wine-exec.sh" "$runner" "Z:$work/endless.qlx" >"$work/out" 2>"$work/err" &
pid=$!
for _ in $(seq 600); do
  grep -q started "$work/out" && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -INT "$pid"
status=124
for _ in $(seq 300); do
  if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid"
    status=$?
    break
  fi
  sleep 0.1
done
[ "$status" = 124 ] && kill -KILL "$pid" 2>/dev/null

ok=1
[ "$status" = 100 ] || { echo "exit status $status, expected 100"; ok=0; }
[ "$(tr -d '\r' <"$work/out")" = "$(printf 'started\n終了しました。')" ] || { echo "stdout:"; cat "$work/out"; ok=0; }
grep -v '^ALSA' "$work/err" | tr -d '\r' | head -n 1 | grep -qx 'ユーザによって終了されました' ||
  { echo "stderr:"; cat "$work/err"; ok=0; }
[ "$ok" = 1 ] && echo "ok: Ctrl+C stopped the run with status 100"
[ "$ok" = 1 ]
