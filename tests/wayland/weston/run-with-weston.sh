#!/usr/bin/env bash
# Runs a command against a headless weston of its own: a Wayland compositor that offers other programs none
# of the interfaces this program drives, with Xwayland, as a desktop the program cannot drive directly looks.
# The command gets WAYLAND_DISPLAY, XDG_RUNTIME_DIR and, in DISPLAY, weston's Xwayland display (started on
# the first X client). weston is stopped afterwards whatever happens.
set -euo pipefail

runtime=$(mktemp -d /tmp/qm-weston.XXXXXX)
chmod 0700 "$runtime"
weston_pid=
cleanup() {
  if [ -n "$weston_pid" ] && kill -0 "$weston_pid" 2>/dev/null; then
    kill "$weston_pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$weston_pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$weston_pid" 2>/dev/null || true
  fi
  rm -rf "$runtime"
}
trap cleanup EXIT INT TERM

XDG_RUNTIME_DIR="$runtime" weston --backend=headless-backend.so --xwayland --socket=wayland-qm --idle-time=0 \
  --width=1024 --height=640 >"$runtime/weston.log" 2>&1 &
weston_pid=$!

# weston names the X display it listens on once its Xwayland module has loaded.
display=
for _ in $(seq 100); do
  display=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$runtime/weston.log" | head -n 1)
  if [ -n "$display" ] && [ -S "$runtime/wayland-qm" ]; then break; fi
  kill -0 "$weston_pid" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$display" ] || [ ! -S "$runtime/wayland-qm" ]; then
  echo "weston did not start:" >&2
  cat "$runtime/weston.log" >&2
  exit 1
fi

status=0
XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=wayland-qm DISPLAY="$display" "$@" || status=$?
exit $status
