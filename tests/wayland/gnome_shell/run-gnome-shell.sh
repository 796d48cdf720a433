#!/usr/bin/env bash
# Runs a command beside a private headless GNOME Shell on Wayland (1280x800), in a D-Bus session of its own with
# a private runtime dir, home and data dirs, with QuillonMacro's extension from the build tree enabled first.
# Usage: run-gnome-shell.sh EXTENSION_TREE [--without-extension] -- COMMAND...
# EXTENSION_TREE is the build tree's gnome-shell-extension folder (bin/ and share/). The command sees
# WAYLAND_DISPLAY, the session bus, QM_SHELL_LOG (the shell's log) and QM_SHELL_PID; its status is the result.
set -euo pipefail

tree=$(cd "$1" && pwd)
shift
enable=1
if [ "${1:-}" = --without-extension ]; then
  enable=0
  shift
fi
[ "${1:-}" = -- ] && shift

if [ -z "${QM_IN_PRIVATE_SESSION:-}" ]; then
  work=$(mktemp -d /tmp/qm-gnome-shell.XXXXXX)
  trap 'rm -rf "$work"' EXIT
  mkdir -m 0700 "$work/run"
  mkdir -p "$work/home/.config" "$work/home/.local/share"
  export QM_IN_PRIVATE_SESSION=1 QM_WORK="$work"
  export XDG_RUNTIME_DIR="$work/run" HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
  export XDG_DATA_HOME="$work/home/.local/share" XDG_CACHE_HOME="$work/home/.cache"
  # The shell finds the system-wide extension through the data dirs: the build tree's comes first.
  export XDG_DATA_DIRS="$tree/share:/usr/local/share:/usr/share"
  unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS XDG_SESSION_ID
  args=("$tree")
  [ "$enable" = 1 ] || args+=(--without-extension)
  set +e
  dbus-run-session -- "$0" "${args[@]}" -- "$@" 2> >(grep -v -e 'fd limit' -e '^dbus-daemon\[' >&2)
  status=$?
  exit $status
fi

work=$QM_WORK
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

# The shell asks logind on the system bus for the session; a private bus of ours stands in for it.
dbus-daemon --config-file=/usr/share/dbus-1/session.conf --address="unix:path=$XDG_RUNTIME_DIR/system_bus" \
  --nofork --nopidfile 2>/dev/null &
pids+=($!)
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$XDG_RUNTIME_DIR/system_bus"

if [ "$enable" = 1 ]; then
  "$tree/bin/quillonmacro-gnome-windows" enable >"$work/enable.log" 2>&1 || {
    cat "$work/enable.log" >&2
    exit 1
  }
fi

# PipeWire carries the screen cast the screen functions read (the window functions do not need it).
pipewire >"$work/pipewire.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/pipewire-0" ] && break; sleep 0.05; done
wireplumber >"$work/wireplumber.log" 2>&1 &
pids+=($!)

export QM_SHELL_LOG="$work/shell.log"
gnome-shell --headless --wayland --no-x11 --virtual-monitor 1280x800 >"$QM_SHELL_LOG" 2>&1 &
shell=$!
pids+=($shell)
export QM_SHELL_PID=$shell

# Ready when the shell has started (its own D-Bus name is taken after the UI is up) and, with the extension,
# when our service answers.
ready=0
for _ in $(seq 1 300); do
  if ! kill -0 "$shell" 2>/dev/null; then break; fi
  if [ -S "$XDG_RUNTIME_DIR/wayland-0" ] &&
    gdbus call --session --timeout 2 --dest org.gnome.Shell --object-path /org/gnome/Shell \
      --method org.freedesktop.DBus.Properties.Get org.gnome.Shell ShellVersion >/dev/null 2>&1; then
    if [ "$enable" = 0 ] || gdbus call --session --timeout 2 --dest org.quillonmacro.Windows \
      --object-path /org/quillonmacro/Windows --method org.quillonmacro.Windows1.Version >/dev/null 2>&1; then
      ready=1
      break
    fi
  fi
  sleep 0.1
done
if [ "$ready" != 1 ]; then
  echo "GNOME Shell did not come up (with the extension: $enable); its log:" >&2
  tail -50 "$QM_SHELL_LOG" >&2
  exit 1
fi
export WAYLAND_DISPLAY=wayland-0
export GDK_BACKEND=wayland
"$@"
