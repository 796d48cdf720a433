#!/usr/bin/env bash
# Refreshes the user guide's pictures (docs/guide/images/) from the screenshots the tests and the demo leave in
# build/screenshots/: each picture of the guide is replaced by the newer screenshot of the same name. Run it
# after the test command (or the demo) when the windows have changed, and look at the pictures before
# committing them.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
for picture in docs/guide/images/*.png; do
  shot="build/screenshots/$(basename "$picture")"
  if [ ! -f "$shot" ]; then
    echo "no screenshot $shot (run scripts/test.sh or scripts/demo.sh first)" >&2
    status=1
  elif ! cmp -s "$shot" "$picture"; then
    cp "$shot" "$picture"
    echo "updated $picture"
  fi
done
exit "$status"
