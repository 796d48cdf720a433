#!/usr/bin/env bash
# The run command: installs what building and running need (not the test toolchain), builds the programs in
# build/, runs examples/demo.qlx from the command line, then shows the editor on a private display: it opens
# examples/editor_demo.qlx, runs it with F5 (the macro drives a terminal and shows a window of its own) and leaves
# screenshots of the editor with its log and of the desktop in build/screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/install-deps.sh

echo "== build =="
# Only the programs: the tests and benchmarks need the test toolchain (scripts/test.sh builds them).
cmake -S . -B build -G Ninja -DQM_TESTS=OFF -DQM_BENCH=OFF >/dev/null
cmake --build build -j "$jobs" --target QuillonMacro quillonmacro-editor quillonmacro-images

echo "== build/bin/QuillonMacro examples/demo.qlx (the command line, without a window) =="
status=0
env -u DISPLAY -u WAYLAND_DISPLAY build/bin/QuillonMacro examples/demo.qlx || status=$?

echo "== the editor: examples/editor_demo.qlx run with F5 on a private display =="
scripts/editor-demo.sh || status=$?
exit "$status"
