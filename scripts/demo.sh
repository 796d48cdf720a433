#!/usr/bin/env bash
# The run command: installs what is missing, builds QuillonMacro in build/, runs examples/demo.qlx, then the
# desktop demo (examples/desktop_demo.qlx) on a private display with a screenshot in build/screenshots/.
# Without a display it starts a private Xvfb display for the run and stops it afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/install-deps.sh

echo "== build =="
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$jobs" --target QuillonMacro

xvfb_pid=""
stop_private_display() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}
trap stop_private_display EXIT

# Xvfb picks a free display number itself and writes it to the file once it accepts clients. If it cannot
# start, the program still runs: without a display it uses Qt's offscreen platform.
start_private_display() {
  local number_file number=""
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 100); do
    if [ -s "$number_file" ] || ! kill -0 "$xvfb_pid" 2>/dev/null; then break; fi
    sleep 0.1
  done
  number=$(head -n 1 "$number_file" | tr -dc '0-9')
  rm -f "$number_file"
  if [ -n "$number" ]; then
    export DISPLAY=":$number"
  else
    stop_private_display
    xvfb_pid=""
    echo "(no X display could be started; running without one)"
  fi
}

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  start_private_display
fi

echo "== build/bin/QuillonMacro examples/demo.qlx =="
status=0
build/bin/QuillonMacro examples/demo.qlx || status=$?

# The desktop tour on a private display of its own: opens a terminal, types into it, moves and maximises it,
# and saves a screenshot of the result.
echo "== examples/desktop_demo.qlx on a private display =="
scripts/desktop-demo.sh || status=$?
exit "$status"
