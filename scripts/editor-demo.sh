#!/usr/bin/env bash
# Shows the editor at work on a private X display with openbox (tests/run-with-display.sh): opens
# examples/editor_demo.qlx in the editor, presses F5 there as a user would, and while the macro's message window
# is up photographs the desktop (build/screenshots/demo-desktop.png: the terminal the macro typed into and moved,
# the message, the editor), then, once the run has ended, the editor with its log (demo-editor.png). Fails when
# the editor does not open, the run does not reach its message or does not end, or a picture is missing.
# The editor keeps its recovery copies in a folder of its own here, so no copy of yours is offered.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -x build/bin/QuillonMacro ] || { echo "editor-demo: build the programs first (scripts/demo.sh does)" >&2; exit 2; }
mkdir -p build/screenshots
rm -f build/screenshots/demo-desktop.png build/screenshots/demo-editor.png

inner=$(mktemp)
state=$(mktemp -d)
trap 'rm -rf "$inner" "$state"' EXIT
cat >"$inner" <<'INNER'
set -u
# Waits up to $1 tenths of a second for a window whose name matches $2; prints its id.
wait_window() {
  local id
  for _ in $(seq "$1"); do
    id=$(xdotool search --onlyvisible --name "$2" 2>/dev/null | head -n 1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
fail() { echo "editor-demo: $1" >&2; kill "$editor" 2>/dev/null; exit 1; }

build/bin/QuillonMacro --edit examples/editor_demo.qlx &
editor=$!
window=$(wait_window 300 '^Quillonマクロ - ') || fail "the editor window did not open"
xdotool windowmove --sync "$window" 0 0
# Keys go in through XTest to the active window, as a user's keys would.
xdotool windowactivate --sync "$window"
sleep 1
xdotool key --clearmodifiers F5
wait_window 300 '^メッセージ$' >/dev/null || fail "the macro did not reach its message window"
sleep 1
import -window root build/screenshots/demo-desktop.png || fail "no picture of the desktop"
# The run ends when the message window goes (the editor closes it at the end of a run).
for _ in $(seq 300); do
  xdotool search --onlyvisible --name '^メッセージ$' >/dev/null 2>&1 || break
  sleep 0.1
done
sleep 1
import -window "$window" build/screenshots/demo-editor.png || fail "no picture of the editor"
# The text was not changed: the editor closes without a question.
xdotool windowactivate --sync "$window"
xdotool key --clearmodifiers ctrl+F4
for _ in $(seq 100); do kill -0 "$editor" 2>/dev/null || break; sleep 0.1; done
kill "$editor" 2>/dev/null
exit 0
INNER
# A runtime folder of its own where the session has none (a fresh machine's root shell).
[ -n "${XDG_RUNTIME_DIR:-}" ] || { mkdir -m 700 "$state/run"; export XDG_RUNTIME_DIR="$state/run"; }
XDG_STATE_HOME="$state" tests/run-with-display.sh bash "$inner"
echo "screenshots: build/screenshots/demo-editor.png, build/screenshots/demo-desktop.png"
