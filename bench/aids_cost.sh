#!/usr/bin/env bash
# What the editor's ツール aids cost, on the real program on a private Xvfb display with openbox: the window
# information's CPU time, and the recorder's delay of keys and clicks to another window and its CPU time.
# Usage: bench/aids_cost.sh [-r REPEATS] [-s SECONDS] [-n PRESSES] [--rate MOVES_PER_S] [--qm PATH]
#        (after cmake --build build --target QuillonMacro aids_probe; see bench/README.md)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)

repeats=3
seconds=20
presses=400
rate=100
qm=$root/build/bin/QuillonMacro
probe=$root/build/bin/aids_probe
usage="usage: $0 [-r REPEATS] [-s SECONDS] [-n PRESSES] [--rate MOVES_PER_S] [--qm PATH]"
while [ $# -gt 0 ]; do
  case "$1" in
    -r) repeats=$2; shift 2 ;;
    -s) seconds=$2; shift 2 ;;
    -n) presses=$2; shift 2 ;;
    --rate) rate=$2; shift 2 ;;
    --qm) qm=$(realpath "$2"); probe=$(dirname "$qm")/aids_probe; shift 2 ;;
    --on-display) on_display=1; shift ;;
    *) echo "$usage" >&2; exit 2 ;;
  esac
done

if [ -z "${on_display:-}" ]; then
  for program in "$qm" "$probe"; do
    [ -x "$program" ] || { echo "build it first: cmake --build build --target QuillonMacro aids_probe" >&2; exit 2; }
  done
  for tool in xdotool xterm Xvfb openbox; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps.sh installs it)" >&2; exit 2; }
  done
  echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //'), nproc $(nproc)" >&2
  echo "load average at the start: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
  status=0
  "$root/tests/run-with-display.sh" "$0" --on-display -r "$repeats" -s "$seconds" -n "$presses" \
    --rate "$rate" --qm "$qm" || status=$?
  echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
  exit $status
fi

# From here on, on the private display. The X server is run-with-display.sh's other child.
hz=$(getconf CLK_TCK)
xvfb=
for stat in /proc/[0-9]*/stat; do
  read -r -a fields <"$stat" 2>/dev/null || continue
  if [ "${fields[1]}" = "(Xvfb)" ] && [ "${fields[3]}" = "$PPID" ]; then xvfb=${fields[0]}; fi
done
[ -n "$xvfb" ] || { echo "aids_cost: the display's X server was not found" >&2; exit 1; }

work=$(mktemp -d)
editor=
xterm_pid=
cleanup() {
  [ -n "$editor" ] && kill "$editor" 2>/dev/null
  [ -n "$xterm_pid" ] && kill "$xterm_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
results=$work/results
: >"$results"

# Where everything is on the 1280×1024 screen: the editor top left, an xterm top right, the aid windows
# bottom left, the latency window and the recorder's motion area bottom right (over the bare root window).
editor_geometry="0 0 620 480"
aid_place="0 600"
latency_area="700 560 500 400"
motion_area="700 560 560 440"
whole_screen="0 0 1280 1024"

fail() {
  echo "aids_cost: $1" >&2
  exit 1
}

# user+system CPU ticks of a process.
ticks() {
  local stat
  stat=$(<"/proc/$1/stat")
  stat=${stat##*) }
  read -r -a fields <<<"$stat"
  echo $((fields[11] + fields[12]))
}

now() { date +%s.%N; }

# Measures the editor's and the X server's CPU while the rest of the line runs (or for SECONDS with no
# command) and adds "cpu STATE REPEAT EDITOR% XVFB%" to the results.
measure() {
  local state=$1 repeat=$2
  shift 2
  local e0 x0 t0 e1 x1 t1
  e0=$(ticks "$editor")
  x0=$(ticks "$xvfb")
  t0=$(now)
  if [ $# -gt 0 ]; then "$@" >>"$work/probe.log"; else sleep "$seconds"; fi
  e1=$(ticks "$editor")
  x1=$(ticks "$xvfb")
  t1=$(now)
  awk -v s="$state" -v r="$repeat" -v e=$((e1 - e0)) -v x=$((x1 - x0)) -v a="$t0" -v b="$t1" -v hz="$hz" \
    'BEGIN { printf "cpu %s %d %.2f %.2f\n", s, r, 100 * e / hz / (b - a), 100 * x / hz / (b - a) }' \
    | tee -a "$results" >&2
  echo "load $(cut -d' ' -f1 /proc/loadavg)" >>"$results"
}

window_of() { # PID TITLE: the visible window of the process with exactly that title
  xdotool search --onlyvisible --all --pid "$1" --name "^$2\$" 2>/dev/null | head -1
}

wait_window() { # PID TITLE
  local window=
  for _ in $(seq 1 600); do
    window=$(window_of "$1" "$2")
    [ -n "$window" ] && break
    sleep 0.1
  done
  echo "$window"
}

start_editor() {
  mkdir -p "$work/state$1"
  XDG_STATE_HOME=$work/state$1 QT_QPA_PLATFORM=xcb "$qm" >/dev/null 2>&1 &
  editor=$!
  main_window=$(wait_window "$editor" 'Quillonマクロ.*')
  [ -n "$main_window" ] || fail "the editor's window did not appear"
  read -r x y w h <<<"$editor_geometry"
  xdotool windowsize "$main_window" "$w" "$h" windowmove "$main_window" "$x" "$y"
  sleep 3 # its start is over, the window manager has placed it
}

stop_editor() {
  kill "$editor"
  wait "$editor" 2>/dev/null || true
  editor=
}

# Opens an item of the ツール menu by its access key and waits for its window, which goes bottom left.
open_aid() { # KEY TITLE
  xdotool windowactivate --sync "$main_window"
  sleep 0.3
  xdotool key --clearmodifiers alt+t
  sleep 0.5
  xdotool key --clearmodifiers "$1"
  local window
  window=$(wait_window "$editor" "$2")
  [ -n "$window" ] || fail "the window $2 did not open"
  read -r x y <<<"$aid_place"
  xdotool windowmove "$window" "$x" "$y"
  sleep 1
}

# Pause ends the recording from anywhere; the recorder inserts its lines and closes.
stop_recorder() {
  xdotool key Pause
  for _ in $(seq 1 100); do
    [ -z "$(window_of "$editor" '記録')" ] && return
    sleep 0.1
  done
  fail "the recorder did not close on Pause"
}

latency() { # STATE REPEAT
  local out
  # shellcheck disable=SC2086
  out=$("$probe" latency "$presses" 20 $latency_area) || fail "the latency run failed ($1)"
  while read -r kind _ n _ median _ p95 _ mean _ max; do
    echo "latency $1 $2 $kind $median $p95 $mean $max $n"
  done <<<"$out" | tee -a "$results" >&2
}

xterm -geometry 80x24+700+0 -T aids-xterm 2>/dev/null &
xterm_pid=$!
sleep 1

for repeat in $(seq 1 "$repeats"); do
  echo "== round $repeat: window information" >&2
  start_editor "$repeat-info"
  xdotool mousemove 1200 1000
  measure closed-still "$repeat"
  # shellcheck disable=SC2086
  measure closed-moving "$repeat" "$probe" move "$seconds" "$rate" $whole_screen
  open_aid w 'ウィンドウ情報'
  xdotool mousemove 900 150 # over the xterm
  measure open-still "$repeat"
  # shellcheck disable=SC2086
  measure open-moving "$repeat" "$probe" move "$seconds" "$rate" $whole_screen
  stop_editor

  echo "== round $repeat: recorder" >&2
  start_editor "$repeat-rec"
  # Every other round records first, so a drift of the machine's load does not favour one side.
  if [ $((repeat % 2)) -eq 1 ]; then order="off on"; else order="on off"; fi
  for recorder in $order; do
    if [ "$recorder" = on ]; then
      open_aid r '記録'
      xdotool mousemove 1200 1000
      measure recording-still "$repeat"
    fi
    latency "recorder-$recorder" "$repeat"
    # shellcheck disable=SC2086
    measure "recorder-$recorder-200" "$repeat" "$probe" move "$seconds" 200 $motion_area
    if [ "$recorder" = on ]; then stop_recorder; fi
  done
  stop_editor
done

echo "probe: $(grep -c moves "$work/probe.log") motion runs, rates $(awk '/moves/ { printf "%s ", $4 }' "$work/probe.log")" >&2

# The tables: each round's value, then the median and the range of the rounds.
awk -v seconds="$seconds" -v rate="$rate" -v presses="$presses" '
function sorted(list, a,   i, j, t, n) { n = split(list, a, " "); for (i = 2; i <= n; i++) for (j = i; j > 1 && a[j - 1] + 0 > a[j] + 0; j--) { t = a[j]; a[j] = a[j - 1]; a[j - 1] = t }; return n }
function median(list,   a, n) { n = sorted(list, a); return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2 }
function spread(list, fmt,   a, n) { n = sorted(list, a); return sprintf(fmt " (" fmt "–" fmt ")", median(list), a[1], a[n]) }
function runs(list, fmt,   a, n, i, s) { n = split(list, a, " "); for (i = 1; i <= n; i++) s = s (i > 1 ? " / " : "") sprintf(fmt, a[i]); return s }
$1 == "load" { if (lmin == "" || $2 < lmin) lmin = $2; if ($2 > lmax) lmax = $2 }
$1 == "cpu" { editor[$2] = editor[$2] " " $4; xvfb[$2] = xvfb[$2] " " $5 }
$1 == "latency" { k = $2 " " $4; med[k] = med[k] " " $5; p95[k] = p95[k] " " $6; byround[k, $3] = $5 }
END {
  names["closed-still"] = "window information closed, pointer still"
  names["closed-moving"] = "window information closed, pointer moving (" rate "/s)"
  names["open-still"] = "window information open, pointer still over the xterm"
  names["open-moving"] = "window information open, pointer moving (" rate "/s)"
  names["recording-still"] = "recording, pointer still"
  names["recorder-off-200"] = "not recording, 200 motions/s"
  names["recorder-on-200"] = "recording, 200 motions/s"
  printf "\nLoad average (1 minute) after each CPU measurement: %s–%s\n", lmin, lmax
  printf "\nCPU, %% of one core over %s s (each round, then median (min–max)):\n\n", seconds
  print "| state | editor, rounds | editor | Xvfb, rounds | Xvfb |"
  print "|---|---|---:|---|---:|"
  split("closed-still closed-moving open-still open-moving recording-still recorder-off-200 recorder-on-200", all, " ")
  for (i = 1; i <= 7; i++) {
    s = all[i]
    if (!(s in editor)) continue
    printf "| %s | %s | %s | %s | %s |\n", names[s], runs(editor[s], "%.2f"), spread(editor[s], "%.2f"), runs(xvfb[s], "%.2f"), spread(xvfb[s], "%.2f")
  }
  printf "\nPress latency, XTest request to the event read by the window, µs (%s presses per run, keys and left clicks in turn; median of the rounds (min–max)):\n\n", presses
  print "| recorder | kind | median, rounds | median | 95th percentile, rounds | 95th percentile |"
  print "|---|---|---|---:|---|---:|"
  split("key button all", kinds, " ")
  for (r = 0; r < 2; r++) for (j = 1; j <= 3; j++) {
    c = r ? "recorder-on" : "recorder-off"; k = c " " kinds[j]
    printf "| %s | %s | %s | %s | %s | %s |\n", r ? "recording" : "not recording", kinds[j], runs(med[k], "%.0f"), spread(med[k], "%.0f"), runs(p95[k], "%.0f"), spread(p95[k], "%.0f")
  }
  print ""
  for (j = 1; j <= 3; j++) {
    d = ""; for (n = 1; ("recorder-on " kinds[j], n) in byround; n++) d = d " " byround["recorder-on " kinds[j], n] - byround["recorder-off " kinds[j], n]
    a = median(med["recorder-on " kinds[j]]) - median(med["recorder-off " kinds[j]])
    b = median(p95["recorder-on " kinds[j]]) - median(p95["recorder-off " kinds[j]])
    printf "Recording − not recording, %s: median %+.0f µs, 95th percentile %+.0f µs; per round, median %s µs\n", kinds[j], a, b, runs(d, "%+.0f")
  }
}' "$results"
