#!/usr/bin/env bash
# Runs the accessibility tests in a private D-Bus session with a private runtime folder on a private display.
# When every failure was a program that never appeared in the registry (exit status 75), the run is repeated
# once more in a new session; any other failure is final.
set -u
for attempt in 1 2 3; do
  # The accessibility bus listens on a fixed path in the runtime folder (or in ~/.cache without one): two
  # sessions side by side, as the test command runs them, would take over each other's bus there, and a
  # program would then register with the other session's bus or with one being shut down.
  runtime=$(mktemp -d)
  XDG_RUNTIME_DIR=$runtime dbus-run-session -- "$@"
  status=$?
  rm -rf "$runtime"
  [ "$status" -eq 75 ] || exit "$status"
  echo "run-in-session: the accessibility registry of session $attempt did not work; starting a new session" >&2
done
exit 1
