#!/usr/bin/env bash
# Runs a command against a headless sway of its own: sway (which refuses to run as root) runs as an
# unprivileged user in a private runtime folder, with one 1280x800 output (or the outputs SWAY_TEST_OUTPUTS
# configures: sway output settings, one output per ";"), no bar, no Xwayland and the keyboard layout given
# by SWAY_TEST_LAYOUT (default "us"); the command gets WAYLAND_DISPLAY, SWAYSOCK and no DISPLAY. sway is stopped afterwards whatever happens. SWAY_TEST_PID_FILE, when set, receives sway's
# process id (for tests that kill it).
set -euo pipefail

layout=${SWAY_TEST_LAYOUT:-us}
outputs=${SWAY_TEST_OUTPUTS:-HEADLESS-1 resolution 1280x800 position 0 0}
IFS=';' read -r -a output_lines <<<"$outputs"
user=nobody
runtime=$(mktemp -d /tmp/qm-sway.XXXXXX)
sway_pid=
cleanup() {
  if [ -n "$sway_pid" ] && kill -0 "$sway_pid" 2>/dev/null; then
    kill "$sway_pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$sway_pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$sway_pid" 2>/dev/null || true
  fi
  rm -rf "$runtime"
}
trap cleanup EXIT INT TERM

chown "$user" "$runtime"
chmod 0700 "$runtime"
cat >"$runtime/config" <<CONFIG
$(for line in "${output_lines[@]}"; do echo "output $line background #203040 solid_color"; done)
xwayland disable
default_border normal 2
focus_on_window_activation focus
input type:keyboard xkb_layout $layout
seat * hide_cursor 0
CONFIG
chown "$user" "$runtime/config"

# The runtime folder stays readable to root, so the test (run as root) reaches sway's sockets.
env -i PATH=/usr/bin:/bin HOME="$runtime" XDG_RUNTIME_DIR="$runtime" WLR_BACKENDS=headless \
  WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 WLR_HEADLESS_OUTPUTS=${#output_lines[@]} XKB_DEFAULT_LAYOUT="$layout" \
  setpriv --reuid="$(id -u $user)" --regid="$(id -g $user)" --clear-groups \
  sway --config "$runtime/config" >"$runtime/sway.log" 2>&1 &
sway_pid=$!
if [ -n "${SWAY_TEST_PID_FILE:-}" ]; then echo "$sway_pid" >"$SWAY_TEST_PID_FILE"; fi

socket=
for _ in $(seq 100); do
  socket=$(ls "$runtime"/sway-ipc.*.sock 2>/dev/null | head -n 1 || true)
  if [ -n "$socket" ] && ls "$runtime"/wayland-? >/dev/null 2>&1; then break; fi
  if ! kill -0 "$sway_pid" 2>/dev/null; then break; fi
  sleep 0.1
done
display=$(cd "$runtime" && ls wayland-? 2>/dev/null | head -n 1 || true)
if [ -z "$socket" ] || [ -z "$display" ]; then
  echo "sway did not start:" >&2
  cat "$runtime/sway.log" >&2
  exit 1
fi

# The command does not get the layout in XKB's environment: a program in a session without a physical
# keyboard (this one, a remote one) learns it from sway's configuration.
status=0
env -u DISPLAY -u XKB_DEFAULT_LAYOUT -u XKB_DEFAULT_VARIANT XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$display" \
  SWAYSOCK="$socket" "$@" || status=$?
exit $status
