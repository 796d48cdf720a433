#!/usr/bin/env bash
# What the GNOME (mutter) session costs, on a private headless mutter: the first desktop call (the session
# set up, the first picture), GETCOLOR and a whole-screen capture at 1280x800, and a key's way to a GTK client.
# Usage: bench/gnome_cost.sh [BUILD_DIR]   (after cmake --build build --target wayland_gnome_tests)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
"$root/tests/wayland/gnome/run-with-mutter.sh" "$build/bin/wayland_gnome_tests" --gtest_filter=GnomeLive.Costs |
  grep 'measured'
