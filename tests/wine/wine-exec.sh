#!/usr/bin/env bash
# Runs one Windows program under Wine for the tests: on the display and in the Wine prefix that
# run-wine-tests.sh prepared (DISPLAY, WINEPREFIX), with Wine's own messages off. The program's exit status is
# the script's.
set -u
[ -n "${DISPLAY:-}" ] || { echo "wine-exec: no DISPLAY; run the Wine tests through tests/wine/run-wine-tests.sh" >&2; exit 1; }
[ -n "${WINEPREFIX:-}" ] || { echo "wine-exec: no WINEPREFIX" >&2; exit 1; }
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
export WINEDEBUG=${WINEDEBUG:--all}
exec "$wine" "$@"
