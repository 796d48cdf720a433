#!/usr/bin/env bash
# Compares the CP932 behaviour of the Windows build (system conversion, run under Wine) with the Linux build
# (glibc iconv): the code-page listing of codepage_table must be the same on both.
# Usage: compare-codepage.sh SOURCE_DIR WINDOWS_TABLE.exe WORK_DIR
set -u
source=$1
windows_table=$2
work=$3
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$work"
c++ -std=c++20 -O1 -I"$source/interpreter" "$source/tests/wine/codepage_table.cpp" \
  "$source/interpreter/codepage.cpp" -o "$work/codepage_table_linux" || exit 1
"$work/codepage_table_linux" >"$work/codepage-linux.txt" || exit 1
"$here/wine-exec.sh" "$windows_table" | tr -d '\r' >"$work/codepage-windows.txt" || exit 1
if diff "$work/codepage-linux.txt" "$work/codepage-windows.txt" >"$work/codepage.diff"; then
  echo "ok: $(wc -l <"$work/codepage-linux.txt") code-page entries equal"
  exit 0
fi
echo "CP932 differs between Linux and Windows:"
head -40 "$work/codepage.diff"
exit 1
