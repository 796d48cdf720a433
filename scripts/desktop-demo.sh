#!/usr/bin/env bash
# Runs examples/desktop_demo.qlx on a private X display with openbox (tests/run-with-display.sh) and saves a
# screenshot of the whole screen to build/screenshots/desktop-demo.png. Builds QuillonMacro first when it is
# missing. With --with-terminal the terminal is started here, before the macro runs, instead of by the
# macro's own SHELL.
set -euo pipefail
cd "$(dirname "$0")/.."

start_terminal=0
[ "${1:-}" = "--with-terminal" ] && start_terminal=1

if [ ! -x build/bin/QuillonMacro ]; then
  cmake -S . -B build -G Ninja >/dev/null
  cmake --build build --target QuillonMacro
fi
mkdir -p build/screenshots

inner=$(mktemp)
trap 'rm -f "$inner"' EXIT
cat >"$inner" <<'INNER'
set -u
terminal=""
if [ "$START_TERMINAL" = 1 ]; then
  xterm -class QmDemoTerm -T QuillonMacro -geometry 70x16+40+40 -e sh &
  terminal=$!
  for _ in $(seq 100); do
    xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
  done
  sleep 2
fi
status=0
build/bin/QuillonMacro examples/desktop_demo.qlx || status=$?
# Give the terminal a moment to draw what was typed, then photograph the screen.
sleep 1
import -window root build/screenshots/desktop-demo.png || status=1
[ -n "$terminal" ] && kill "$terminal" 2>/dev/null
exit $status
INNER
START_TERMINAL=$start_terminal tests/run-with-display.sh bash "$inner"
echo "screenshot: build/screenshots/desktop-demo.png"
