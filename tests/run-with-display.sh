#!/usr/bin/env bash
# Runs a command on a private X display: starts Xvfb on a free display number (chosen by Xvfb itself, so
# tests running side by side never share one), starts a window manager (openbox unless told otherwise), runs
# the command with DISPLAY set, and stops both afterwards. The command's exit status is the script's.
# Usage: run-with-display.sh [--size WxH] [--wm openbox|fluxbox|none] [--no-wm] [--dpi N]
#                            [--monitor "NAME WxH+X+Y OUTPUT"]... command [arguments...]
# --monitor defines a RandR monitor on the screen (a name starting with "*" makes it the primary one; the
# output "screen" is Xvfb's only output, "none" a monitor without one). --dpi sets Xft.dpi, the resolution
# desktops announce to their programs (Qt scales by it).
set -u
size=1280x1024
wm=openbox
dpi=
monitors=()
usage="usage: $0 [--size WxH] [--wm openbox|fluxbox|none] [--no-wm] [--dpi N] [--monitor 'NAME WxH+X+Y OUTPUT']... command..."
while [ $# -gt 0 ]; do
  case "$1" in
    --size) size=$2; shift 2 ;;
    --no-wm) wm=none; shift ;;
    --wm) wm=$2; shift 2 ;;
    --dpi) dpi=$2; shift 2 ;;
    --monitor) monitors+=("$2"); shift 2 ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "$usage" >&2; exit 2; }
case "$wm" in openbox|fluxbox|none) ;; *) echo "$usage" >&2; exit 2 ;; esac

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

setup_failed() {
  echo "run-with-display: $1" >&2
  kill "$xvfb" 2>/dev/null
  wait 2>/dev/null
  exit 1
}
for monitor in "${monitors[@]}"; do
  read -r -a fields <<<"$monitor"
  [ ${#fields[@]} -eq 3 ] || setup_failed "a monitor is NAME WxH+X+Y OUTPUT: $monitor"
  # xrandr wants the physical size in millimetres beside each pixel size; 0 leaves it unknown.
  geometry=$(echo "${fields[1]}" | sed -E 's|^([0-9]+)x([0-9]+)\+|\1/0x\2/0+|')
  xrandr --setmonitor "${fields[0]}" "$geometry" "${fields[2]}" >/dev/null 2>&1 || setup_failed "xrandr refused $monitor"
done
if [ -n "$dpi" ]; then
  echo "Xft.dpi: $dpi" | xrdb -merge || setup_failed "xrdb refused Xft.dpi $dpi"
fi

wmpid=
wmhome=
if [ "$wm" != none ]; then
  if [ "$wm" = fluxbox ]; then
    # fluxbox writes its settings into the home folder: a private one, where "background: none" keeps it
    # from showing a message about a missing wallpaper program.
    wmhome=$(mktemp -d)
    mkdir -p "$wmhome/.fluxbox"
    echo "background: none" >"$wmhome/.fluxbox/overlay"
    HOME="$wmhome" fluxbox >/dev/null 2>&1 &
  else
    openbox --sm-disable >/dev/null 2>&1 &
  fi
  wmpid=$!
  # The window manager has claimed the screen once its check window is there.
  for _ in $(seq 1 200); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
  done
  # It manages windows only once it has finished starting, a little later: a window mapped before then may
  # be left without a frame and without the focus (seen on a loaded machine). So a probe window must appear
  # in its client list, and be gone again, before the command starts. A probe mapped in that moment stays
  # unmanaged for good (seen when tests start side by side): one not managed within a second is replaced.
  managed=
  for _ in $(seq 1 15); do
    xlogo -geometry 16x16+0+0 >/dev/null 2>&1 &
    probe=$!
    for _ in $(seq 1 40); do
      if xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -q '0x'; then managed=1; break; fi
      sleep 0.025
    done
    kill "$probe" 2>/dev/null
    wait "$probe" 2>/dev/null
    [ -n "$managed" ] && break
  done
  [ -n "$managed" ] || echo "run-with-display: the window manager managed no probe window" >&2
  for _ in $(seq 1 200); do
    xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -q '0x' || break
    sleep 0.025
  done
fi

"$@"
status=$?

# The display goes first: a window manager whose display is gone ends by itself. One still there two seconds
# later is ended by force (fluxbox can deadlock in its own SIGTERM handler and would then live on, holding
# the output pipe it inherited from the caller).
kill "$xvfb" 2>/dev/null
if [ -n "$wmpid" ]; then
  kill "$wmpid" 2>/dev/null
  (sleep 2; kill -9 "$wmpid") >/dev/null 2>&1 &
  killer=$!
  wait "$wmpid" 2>/dev/null
  kill "$killer" 2>/dev/null
fi
wait 2>/dev/null
[ -n "$wmhome" ] && rm -rf "$wmhome"
exit $status
