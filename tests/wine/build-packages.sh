#!/usr/bin/env bash
# Makes sure the Windows installer and the portable zip in the build folder hold the current build: runs cpack
# when either is missing or older than a program, the licence, the viewer's data, the example or the packaging
# files. (Only the programs of bin/ count: a run of the console runner leaves its folder's time changed.)
# Usage: build-packages.sh BUILD_DIR SOURCE_DIR PACKAGE_NAME
set -u
build=$1
source=$2
name=$3
packages=("$build/$name.exe" "$build/$name.zip")

stale=0
for package in "${packages[@]}"; do
  if [ ! -f "$package" ]; then
    stale=1
  elif [ -n "$(find "$build/bin" -maxdepth 1 -name '*.exe' -newer "$package" -print -quit)" ] ||
    [ -n "$(find "$source/LICENSE" "$source/viewer/data" "$source/examples/demo.qlx" "$source/docs/guide" \
      "$source/packaging/windows" \
      -newer "$package" -print -quit 2>/dev/null)" ]; then
    stale=1
  fi
done
if [ "$stale" = 0 ]; then
  echo "packages up to date: ${packages[*]##*/}"
  exit 0
fi
if ! (cd "$build" && cpack -G "NSIS;ZIP" >"$build/cpack.log" 2>&1); then
  cat "$build/cpack.log"
  echo "cpack failed"
  exit 1
fi
for package in "${packages[@]}"; do
  [ -f "$package" ] || { echo "cpack wrote no $package"; exit 1; }
done
echo "packages built: ${packages[*]##*/}"
