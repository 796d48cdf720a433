#!/usr/bin/env bash
# What the window functions cost on GNOME through our extension, on a private headless GNOME Shell: the first
# GETWINID (connection and version check), then GETWINID, SETWIN and CTRLWIN per call.
# Usage: bench/gnome_shell_windows.sh [BUILD_DIR]   (after cmake --build build --target gnome_shell_windows_tests)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
exec "$root/tests/wayland/gnome_shell/run-gnome-shell.sh" "$build/gnome-shell-extension" -- \
  "$build/bin/gnome_shell_windows_tests" --gtest_filter=Latency.*
