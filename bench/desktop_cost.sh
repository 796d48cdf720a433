#!/usr/bin/env bash
# The desktop functions' costs on X11 (Xvfb with openbox), headless GNOME (mutter) and headless sway, side by
# side at 1280x800, each against the GTK test client full-screen: bench/desktop_cost.cpp on each desktop.
# Usage: bench/desktop_cost.sh [BUILD_DIR]   (after cmake --build build --target desktop_cost)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
tool=$build/bin/desktop_cost
recorder=$root/tests/wayland/wayland_input_recorder.py
echo "== X11 (Xvfb 1280x800, openbox)"
env -u WAYLAND_DISPLAY "$root/tests/run-with-display.sh" --size 1280x800 "$tool" "$recorder"
echo "== GNOME (mutter --headless, 1280x800)"
"$root/tests/wayland/gnome/run-with-mutter.sh" "$tool" "$recorder"
echo "== sway (headless, pixman, 1280x800)"
"$root/tests/wayland/sway/run-with-sway.sh" "$tool" "$recorder"
