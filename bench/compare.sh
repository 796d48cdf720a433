#!/usr/bin/env bash
# Runs the macro benchmarks of bench/programs/ with QuillonMacro, yabasic, Lua 5.4 and bwbasic side by side and
# prints a Markdown table of the best (or median) times and their ratios. Installs the peers and builds
# QuillonMacro when missing.
#
# Usage: bench/compare.sh [-n RUNS] [-b BWBASIC_RUNS] [-t TIMEOUT_S] [--clock wall|cpu] [--stat best|median]
#                         [--qm PATH] [NAME...]
#   -n RUNS          runs of QuillonMacro, yabasic and Lua per program (default 5)
#   -b BWBASIC_RUNS  runs of bwbasic per program (default 3; it is slow; 0 leaves it out)
#   -t TIMEOUT_S     limit for one run of any interpreter, in seconds (default 300)
#   --clock cpu      compare user+system CPU time instead of wall-clock time
#   --stat median    report the median of the runs instead of the least time (best, the default)
#   --qm PATH        the QuillonMacro program to measure (default build/bin/QuillonMacro)
#   --programs-dir D read the programs from D instead of bench/programs
#   NAME...          only these programs (file names without extension)
# The table goes to standard output, progress to standard error. The exit status is 1 when the outputs of the
# interpreters disagree or a run fails, so a wrong result is never reported as a timing.
set -euo pipefail
cd "$(dirname "$0")/.."

qm=build/bin/QuillonMacro
args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --qm) qm="$2"; shift 2 ;;
    *) args+=("$1"); shift ;;
  esac
done

as_root=()
if [ "$(id -u)" -ne 0 ]; then as_root=(sudo); fi

missing=()
command -v yabasic >/dev/null || missing+=(yabasic)
command -v bwbasic >/dev/null || missing+=(bwbasic)
command -v lua5.4 >/dev/null || missing+=(lua5.4)
command -v python3 >/dev/null || missing+=(python3)
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  "${as_root[@]}" apt-get update -q >&2
  "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" >&2
fi

if [ ! -x "$qm" ]; then
  if [ "$qm" != build/bin/QuillonMacro ]; then
    echo "compare.sh: $qm is not an executable program" >&2
    exit 2
  fi
  echo "== building build/bin/QuillonMacro ==" >&2
  scripts/install-deps.sh >&2
  cmake -S . -B build -G Ninja >&2
  cmake --build build -j "$(nproc)" --target QuillonMacro >&2
fi

exec python3 bench/compare.py --qm "$qm" "${args[@]+"${args[@]}"}"
