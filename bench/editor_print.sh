#!/usr/bin/env bash
# PRINT in the editor against the command line: the same printing loop of N lines (default 1,000,000) run
# from the command line (output to /dev/null) and from the editor window (its debug log), best of R runs
# each (default 3), side by side. Uses the display in DISPLAY, else Qt's offscreen platform.
# Usage: bench/editor_print.sh [N] [R]   (after a build into build/)
set -euo pipefail
cd "$(dirname "$0")/.."
n=${1:-1000000}
repeats=${2:-3}
macro=$(mktemp --suffix=.qlx)
trap 'rm -f "$macro"' EXIT
printf 'DIM i\r\nFOR i = 1 TO %d\r\nPRINT i\r\nNEXT\r\n' "$n" >"$macro"
[ -n "${DISPLAY:-}" ] || export QT_QPA_PLATFORM=offscreen

best() { sort -g | head -1; }
cli=$(for _ in $(seq "$repeats"); do
  start=$(date +%s.%N)
  build/bin/QuillonMacro "$macro" >/dev/null
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
done | best)
editor=$(for _ in $(seq "$repeats"); do build/bin/editor_print_timer "$n"; done | best)
printf 'lines %d\ncommand line %.3f s\neditor %.3f s\neditor / command line %.2fx\n' \
  "$n" "$cli" "$editor" "$(awk -v a="$editor" -v b="$cli" 'BEGIN { print a / b }')"
