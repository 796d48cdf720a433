#!/usr/bin/env bash
# Very long lines in the editor and in the viewer: typing at a line of N bytes in the editor window (default
# 500,000) and the viewer showing a one-line description of M bytes (default 3,000,000) of each kind.
# Uses the display in DISPLAY, else Qt's offscreen platform.
# Usage: bench/long_lines.sh [N] [M]   (after a build into build/ with the targets long_line_timer and
#                                       description_timer)
set -euo pipefail
cd "$(dirname "$0")/.."
line=${1:-500000}
description=${2:-3000000}
[ -n "${DISPLAY:-}" ] || export QT_QPA_PLATFORM=offscreen
build/bin/long_line_timer "$line" 20 2>/dev/null
for kind in words japanese run; do build/bin/description_timer "$description" "$kind" 2>/dev/null; done
