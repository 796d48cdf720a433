#!/usr/bin/env bash
# Runs a command on a private X display: starts Xvfb on a free display number (chosen by Xvfb itself, so
# tests running side by side never share one), starts openbox as the window manager, runs the command with
# DISPLAY set, and stops both afterwards. The command's exit status is the script's.
# Usage: run-with-display.sh [--size WxH] [--no-wm] command [arguments...]
set -u
size=1280x1024
wm=1
while [ $# -gt 0 ]; do
  case "$1" in
    --size) size=$2; shift 2 ;;
    --no-wm) wm=0; shift ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "usage: $0 [--size WxH] [--no-wm] command..." >&2; exit 2; }

fdfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$fdfile" 2>/dev/null &
xvfb=$!
for _ in $(seq 1 100); do
  [ -s "$fdfile" ] && break
  kill -0 "$xvfb" 2>/dev/null || break
  sleep 0.05
done
number=$(tr -d '\n' <"$fdfile")
rm -f "$fdfile"
if [ -z "$number" ]; then
  echo "run-with-display: Xvfb did not start" >&2
  kill "$xvfb" 2>/dev/null
  exit 1
fi
export DISPLAY=":$number"
unset WAYLAND_DISPLAY

wmpid=
if [ "$wm" = 1 ]; then
  openbox --sm-disable >/dev/null 2>&1 &
  wmpid=$!
  # The window manager has claimed the screen once its check window is there.
  for _ in $(seq 1 200); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
  done
  # It manages windows only once it has finished starting, a little later: a window mapped before then may
  # be left without a frame and without the focus (seen on a loaded machine). So a probe window must appear
  # in its client list, and be gone again, before the command starts.
  xlogo -geometry 16x16+0+0 >/dev/null 2>&1 &
  probe=$!
  for _ in $(seq 1 400); do
    xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -q '0x' && break
    sleep 0.025
  done
  kill "$probe" 2>/dev/null
  wait "$probe" 2>/dev/null
  for _ in $(seq 1 200); do
    xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -q '0x' || break
    sleep 0.025
  done
fi

"$@"
status=$?

[ -n "$wmpid" ] && kill "$wmpid" 2>/dev/null
kill "$xvfb" 2>/dev/null
wait 2>/dev/null
exit $status
