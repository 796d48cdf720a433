#!/usr/bin/env bash
# Runs a command in a headless GNOME compositor of its own: a private session bus, runtime and settings
# folder, PipeWire with WirePlumber, and mutter on one 1280x800 virtual monitor; everything stops afterwards.
#   run-with-mutter.sh [--layout XKB] [--monitors N] [--size WxH] [--scale S] [--fractional] COMMAND [ARGS...]
# --layout sets the GNOME input source (mutter without GNOME Shell keeps the system's keymap for its
# clients, so only what the program sends follows it). --size gives each virtual monitor's pixels, --scale
# the scale every monitor is set to (side by side, left to right), --fractional turns on mutter's scaled
# layout (the experimental "scale-monitor-framebuffer", which fractional scales need). The command sees
# WAYLAND_DISPLAY (and no DISPLAY), QM_MUTTER_PID, the compositor's process id, and QM_SCREEN_SIZE and
# QM_SCALE, the monitors' size and scale.
set -euo pipefail

layout=""
monitors=1
size=1280x800
scale=""
fractional=""
while [ $# -gt 0 ]; do
  case "$1" in
    --layout) layout="$2"; shift 2 ;;
    --monitors) monitors="$2"; shift 2 ;;
    --size) size="$2"; shift 2 ;;
    --scale) scale="$2"; shift 2 ;;
    --fractional) fractional=1; shift ;;
    *) break ;;
  esac
done

if [ -z "${QM_MUTTER_INNER:-}" ]; then
  for tool in dbus-run-session mutter pipewire wireplumber gsettings; do
    if ! command -v "$tool" >/dev/null; then
      echo "run-with-mutter.sh: $tool is missing (scripts/install-deps.sh --test installs it)" >&2
      exit 1
    fi
  done
  args=(--monitors "$monitors" --size "$size")
  if [ -n "$layout" ]; then args+=(--layout "$layout"); fi
  if [ -n "$scale" ]; then args+=(--scale "$scale"); fi
  if [ -n "$fractional" ]; then args+=(--fractional); fi
  # The bus daemon's complaint about its file limit is no fault of the test.
  QM_MUTTER_INNER=1 exec dbus-run-session -- "$0" "${args[@]}" "$@" 2> >(grep -v 'Failed to set fd limit' >&2)
fi

root=$(mktemp -d /tmp/qm-mutter.XXXXXX)
chmod 700 "$root"
export XDG_RUNTIME_DIR="$root/runtime" XDG_CONFIG_HOME="$root/config" XDG_STATE_HOME="$root/state"
mkdir -m 700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$XDG_STATE_HOME"
unset DISPLAY WAYLAND_DISPLAY QUILLONMACRO_DESKTOP
# GSettings in a file of the private settings folder, read and written by every process of the session
# alike (the dconf service, started by the bus, would write to the user's own settings).
export GSETTINGS_BACKEND=keyfile
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$root"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -n "$layout" ]; then
  gsettings set org.gnome.desktop.input-sources sources "[('xkb', '$layout')]"
fi
if [ -n "$fractional" ]; then
  gsettings set org.gnome.mutter experimental-features "['scale-monitor-framebuffer']"
fi

pipewire >"$root/pipewire.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/pipewire-0" ] && break; sleep 0.05; done
wireplumber >"$root/wireplumber.log" 2>&1 &
pids+=($!)
virtual=()
for _ in $(seq "$monitors"); do virtual+=(--virtual-monitor "$size"); done
mutter --headless --wayland --no-x11 "${virtual[@]}" >"$root/mutter.log" 2>&1 &
mutter_pid=$!
pids=("$mutter_pid" "${pids[@]}")

ready=""
for _ in $(seq 200); do
  if [ -S "$XDG_RUNTIME_DIR/wayland-0" ] &&
     busctl --user status org.gnome.Mutter.ScreenCast >/dev/null 2>&1 &&
     busctl --user status org.gnome.Mutter.RemoteDesktop >/dev/null 2>&1; then
    ready=1
    break
  fi
  sleep 0.05
done
if [ -z "$ready" ]; then
  echo "run-with-mutter.sh: mutter did not start" >&2
  cat "$root/mutter.log" >&2
  exit 1
fi

# The scale, through mutter's display configuration: the monitors side by side, each next one where the
# previous ends in the layout (which counts scaled pixels when the layout is scaled).
if [ -n "$scale" ]; then
  width=${size%x*}
  step=$width
  if [ -n "$fractional" ]; then step=$(python3 -c "print(round($width / $scale))"); fi
  logical=""
  for i in $(seq 0 $((monitors - 1))); do
    primary=false
    if [ "$i" = 0 ]; then primary=true; fi
    logical+="${logical:+, }($((i * step)), 0, $scale, 0, $primary, [('Meta-$i', '$size@60.000', @a{sv} {})])"
  done
  config=(gdbus call --session --dest org.gnome.Mutter.DisplayConfig --object-path /org/gnome/Mutter/DisplayConfig
          --method org.gnome.Mutter.DisplayConfig)
  serial=$("${config[@]}.GetCurrentState" | sed -E 's/^\(uint32 ([0-9]+),.*/\1/')
  if ! "${config[@]}.ApplyMonitorsConfig" "$serial" 1 "[$logical]" "@a{sv} {}" >/dev/null; then
    echo "run-with-mutter.sh: mutter refused scale $scale" >&2
    exit 1
  fi
fi

export WAYLAND_DISPLAY=wayland-0 QM_MUTTER_PID="$mutter_pid" QM_SCREEN_SIZE="$size" QM_SCALE="${scale:-1}"
status=0
"$@" || status=$?
exit "$status"
