#!/usr/bin/env bash
# Runs a command against a headless KWin of its own (kwin_wayland --virtual, one 1280x800 output) in a private
# D-Bus session and private XDG folders. KWin offers its fake input and screen cast only to programs whose
# desktop file lists them: a desktop file for PROGRAM (an absolute path) is written and KDE's service cache
# built before KWin starts (QM_KWIN_NO_DESKTOP_FILE=1 leaves it out). KDE_TEST_LAYOUT (default "us") is the
# keyboard layout set in kxkbrc, KDE_TEST_SCALE (default 1) the output's scale. QM_KWIN_PRELOAD, when set,
# is a library loaded into KWin alone (kwin_output_frames, which has its virtual output send screen-cast
# frames). The command gets WAYLAND_DISPLAY, XDG_RUNTIME_DIR, XDG_CONFIG_HOME, QM_SCALE and no DISPLAY;
# QM_COMPOSITOR_PID is KWin's process.
# KWin is stopped afterwards whatever happens.
# Usage: run-with-kwin.sh PROGRAM command [arguments...]
set -euo pipefail

program=$(readlink -f "$1")
shift
layout=${KDE_TEST_LAYOUT:-us}
scale=${KDE_TEST_SCALE:-1}
home=$(mktemp -d /tmp/qm-kwin.XXXXXX)
kwin_pid=
pids=() # PipeWire, WirePlumber, the bus
cleanup() {
  local pid
  if [ -n "$kwin_pid" ] && kill -0 "$kwin_pid" 2>/dev/null; then
    kill "$kwin_pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$kwin_pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$kwin_pid" 2>/dev/null || true
  fi
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$home"
}
trap cleanup EXIT INT TERM

mkdir -p "$home/runtime" "$home/config" "$home/cache" "$home/data/applications" "$home/bin"
chmod 0700 "$home/runtime"
# QM_KWIN_NO_DESKTOP_FILE=1 leaves it out: KWin then treats the program as any other.
if [ "${QM_KWIN_NO_DESKTOP_FILE:-}" != 1 ]; then
  cat >"$home/data/applications/quillonmacro-test.desktop" <<DESKTOP
[Desktop Entry]
Type=Application
Name=QuillonMacro
Exec=$program %f
NoDisplay=true
X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input,zkde_screencast_unstable_v1,org_kde_plasma_window_management
DESKTOP
fi
printf '[Layout]\nLayoutList=%s\nUse=true\n' "$layout" >"$home/config/kxkbrc"
# kwin_wayland carries a file capability that a container may refuse to honour: a copy without it runs. Its
# window-system plugin accepts only a program named kwin_wayland.
cp /usr/bin/kwin_wayland "$home/bin/kwin_wayland"

export XDG_RUNTIME_DIR="$home/runtime" XDG_CONFIG_HOME="$home/config" XDG_CACHE_HOME="$home/cache"
export XDG_DATA_DIRS="$home/data:/usr/local/share:/usr/share" HOME="$home"
unset DISPLAY WAYLAND_DISPLAY
kbuildsycoca5 --noincremental >"$home/sycoca.log" 2>&1 || { cat "$home/sycoca.log" >&2; exit 1; }

# KWin and the command share one private D-Bus session; KWin's screen cast goes through PipeWire.
dbus-daemon --session --fork --print-address=3 --print-pid=4 3>"$home/bus" 4>"$home/bus.pid"
DBUS_SESSION_BUS_ADDRESS=$(cat "$home/bus")
export DBUS_SESSION_BUS_ADDRESS
pids+=("$(cat "$home/bus.pid")")
pipewire >"$home/pipewire.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/pipewire-0" ] && break; sleep 0.05; done
wireplumber >"$home/wireplumber.log" 2>&1 &
pids+=($!)

LD_PRELOAD=${QM_KWIN_PRELOAD:-} "$home/bin/kwin_wayland" --virtual --socket wayland-qm --width 1280 --height 800 \
  --scale "$scale" --no-lockscreen >"$home/kwin.log" 2>&1 &
kwin_pid=$!
for _ in $(seq 150); do
  [ -S "$home/runtime/wayland-qm" ] && break
  kill -0 "$kwin_pid" 2>/dev/null || break
  sleep 0.1
done
# KWin names itself on the bus (for its scripting, which the window moves use) once it has started.
for _ in $(seq 150); do
  busctl --user status org.kde.KWin >/dev/null 2>&1 && break
  kill -0 "$kwin_pid" 2>/dev/null || break
  sleep 0.1
done
if [ ! -S "$home/runtime/wayland-qm" ] || ! busctl --user status org.kde.KWin >/dev/null 2>&1; then
  echo "KWin did not start:" >&2
  cat "$home/kwin.log" >&2
  exit 1
fi

status=0
WAYLAND_DISPLAY=wayland-qm QM_COMPOSITOR_PID="$kwin_pid" QM_SCALE="$scale" "$@" || status=$?
exit $status
