#!/bin/sh
# Counts the instructions each interpreter needs for the benchmark programs, scaled down twenty times, under
# callgrind: repeatable whatever else the machine is doing. Prints a Markdown table of millions and ratios.
#
#   bench/count_instructions.sh [--qm PATH] [PROGRAM ...]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
qm="$here/../build/bin/QuillonMacro"
if [ "${1:-}" = "--qm" ]; then
    qm=$2
    shift 2
fi
programs=${*:-sum_loop fib strings sieve collatz}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The same scaling for every version of a program: its loop bound, argument or pass count.
scale() {
    case "$1" in
    sum_loop) sed -e 's/6500000/325000/' ;;
    fib) sed -e 's/fib(29)/fib(22)/' ;;
    strings) sed -e 's/1200000/60000/' ;;
    sieve) sed -e 's/ 18\b/ 1/' ;;
    collatz) sed -e 's/35000/2000/' ;;
    *) cat ;;
    esac
}

# Millions of instructions of one command, read from callgrind's "Collected" line.
count() {
    valgrind --tool=callgrind --callgrind-out-file="$work/out" "$@" >"$work/stdout" 2>"$work/stderr" || {
        echo "!!! failed: $*" >&2
        cat "$work/stderr" >&2
        return 1
    }
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$work/stderr" | awk '{ printf "%.1f", $1 / 1e6 }'
}

echo "| program | QuillonMacro M | yabasic M | Lua 5.4 M | QM / yabasic | QM / Lua |"
echo "|---|---:|---:|---:|---:|---:|"
for p in $programs; do
    for ext in qlx yab lua; do scale "$p" <"$here/programs/$p.$ext" >"$work/$p.$ext"; done
    q=$(QT_QPA_PLATFORM=offscreen DISPLAY= count "$qm" "$work/$p.qlx")
    y=$(count yabasic "$work/$p.yab")
    l=$(count lua5.4 "$work/$p.lua")
    echo "| $p | $q | $y | $l | $(echo "$q $y" | awk '{ printf "%.2f×", $1 / $2 }') | $(echo "$q $l" | awk '{ printf "%.2f×", $1 / $2 }') |"
done
