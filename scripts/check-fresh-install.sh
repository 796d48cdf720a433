#!/usr/bin/env bash
# Checks that the install scripts are complete: makes a fresh Debian 12 root with debootstrap, copies a clean
# clone of the committed tree into it, and there runs the demo (with only what it installs), then the install
# scripts of the test command, every build the test command makes
# (scripts/builds.sh: Linux, Release, Windows with its icons and installer, sanitizer, fuzz) and the command-line,
# unit and corpus tests on a private display. A machine that keeps what earlier runs installed cannot see a
# missing install step; this can. Not part of the test command: run it (as root) when a dependency changes.
# Prints each step's time; stops at the first step that fails and shows the end of its log.
#
# Usage: scripts/check-fresh-install.sh [--root DIR] [--logs DIR] [--keep] [--from STEP] [--to STEP]
#                                      [--reuse-qt-cache]
#   --root DIR        where the fresh root is made, emptied first (default /var/tmp/quillonmacro-fresh)
#   --logs DIR        each step's full output (default /var/tmp/quillonmacro-fresh-logs)
#   --keep            leave the root in place afterwards to look around (it is removed by default)
#   --from STEP       go on in a root kept by an earlier run, from STEP (one of the names printed), after
#                     mending what stopped it; the tree is not copied again
#   --to STEP         stop after STEP (for example --to demo: a newcomer's first command alone)
#   --reuse-qt-cache  lend the root this machine's finished Qt for Windows (read-only) instead of building it
#                     there: saves the longest step, but then Qt's own build needs are not checked
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tree=$(cd "$here/.." && pwd)

root=/var/tmp/quillonmacro-fresh
logs=/var/tmp/quillonmacro-fresh-logs
keep=no
reuse_qt=no
from=
to=
usage="usage: $0 [--root DIR] [--logs DIR] [--keep] [--from STEP] [--to STEP] [--reuse-qt-cache]"
while [ $# -gt 0 ]; do
  case "$1" in
    --root) root=$2; shift 2 ;;
    --logs) logs=$2; shift 2 ;;
    --keep) keep=yes; shift ;;
    --from) from=$2; shift 2 ;;
    --to) to=$2; shift 2 ;;
    --reuse-qt-cache) reuse_qt=yes; shift ;;
    *) echo "$usage" >&2; exit 2 ;;
  esac
done
[ "$(id -u)" -eq 0 ] || { echo "check-fresh-install: needs root (debootstrap, chroot and mounts)" >&2; exit 2; }
case "$root" in /|/usr|/var|/var/tmp|/tmp|"") echo "check-fresh-install: refusing --root $root" >&2; exit 2 ;; esac
steps=(debootstrap clone demo install-deps build-linux build-release install-windows-deps build-windows build-asan
       build-fuzz tests)
if [ -n "$to" ]; then
  [[ " ${steps[*]} " == *" $to "* ]] || { echo "check-fresh-install: no step named $to" >&2; exit 2; }
fi
if [ -n "$from" ]; then
  [[ " ${steps[*]} " == *" $from "* ]] || { echo "check-fresh-install: no step named $from" >&2; exit 2; }
  [ -d "$root/root/quillonmacro" ] || { echo "check-fresh-install: no kept root in $root" >&2; exit 2; }
  # A root to go on in is kept again, whatever happens.
  keep=yes
fi

if ! command -v debootstrap >/dev/null; then
  echo "Installing debootstrap"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends debootstrap >/dev/null
fi
if [ -n "$(git -C "$tree" status --porcelain)" ]; then
  echo "check-fresh-install: the tree has uncommitted changes; only what is committed is checked" >&2
fi

mounted=()
unmount_all() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}" 2>/dev/null || true
  done
  mounted=()
}
finish() {
  # Whatever the root's programs left running (a display, a D-Bus daemon) holds its mounts: end them first.
  local pids
  pids=$(for p in /proc/[0-9]*; do
    [ "$(readlink "$p/root" 2>/dev/null)" = "$root" ] && basename "$p"
  done || true)
  [ -z "$pids" ] || kill -9 $pids 2>/dev/null || true
  unmount_all
  if [ "$keep" = no ] && [ -d "$root" ]; then rm -rf --one-file-system "$root"; fi
}
trap finish EXIT
bind() { # bind SOURCE TARGET [ro]
  mkdir -p "$2"
  mount --bind "$1" "$2"
  mounted+=("$2")
  if [ "${3:-}" = ro ]; then mount -o remount,bind,ro "$2"; fi
}

mkdir -p "$logs"
[ -n "$from" ] || rm -f "$logs"/*.log
summary=()
started_all=$(date +%s)
skipping=${from:+yes}
report_passed() {
  local seconds=$(($(date +%s) - started_all))
  echo
  printf '%s\n' "${summary[@]}"
  printf 'All steps%s passed in %d min %02d s.\n' "${to:+ up to $to}" $((seconds / 60)) $((seconds % 60))
}
step() { # step NAME COMMAND... : runs the command with its output in NAME.log, and times it
  local name=$1 start status
  shift
  if [ "$name" = "$from" ]; then skipping=; fi
  if [ -n "$skipping" ]; then
    printf '%-28s skipped (--from %s)\n' "$name" "$from"
    return 0
  fi
  start=$(date +%s)
  printf '%-28s ' "$name"
  # In the background, so that `set -e` holds inside the command (bash ignores it in an if's condition).
  "$@" >"$logs/$name.log" 2>&1 &
  if wait $!; then status=ok; else status=FAILED; fi
  local seconds=$(($(date +%s) - start))
  printf '%s, %d min %02d s\n' "$status" $((seconds / 60)) $((seconds % 60))
  summary+=("$(printf '%-28s %s %5d s' "$name" "$status" "$seconds")")
  if [ "$status" != ok ]; then
    echo "--- the end of $logs/$name.log:" >&2
    tail -n 40 "$logs/$name.log" >&2
    exit 1
  fi
  if [ "$name" = "$to" ]; then
    report_passed
    exit 0
  fi
}
# Runs a command in the root as a fresh login would: a clean environment, root's home, the tree as the folder.
in_root() {
  chroot "$root" /usr/bin/env -i HOME=/root USER=root LOGNAME=root LANG=C.UTF-8 TERM=dumb \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    bash -c 'cd /root/quillonmacro && "$@"' in-root "$@"
}

make_root() {
  rm -rf --one-file-system "$root"
  mkdir -p "$root"
  debootstrap --arch=amd64 bookworm "$root" "$("$here/debian-mirror.sh")"
  # apt in the root reaches the mirror as this machine's apt does (its sources and its settings), and names
  # resolve as here.
  cp -a /etc/apt/sources.list.d/. "$root/etc/apt/sources.list.d/"
  [ -f /etc/apt/sources.list ] && cp /etc/apt/sources.list "$root/etc/apt/sources.list"
  cp -a /etc/apt/apt.conf.d/. "$root/etc/apt/apt.conf.d/"
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  # Packages installed in the root start no services (there is no init running in it to own them).
  printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
  chmod +x "$root/usr/sbin/policy-rc.d"
}

copy_tree() {
  git clone --quiet --no-hardlinks "$tree" "$root/root/quillonmacro"
  git -C "$root/root/quillonmacro" log -1 --format='%h %s'
}

# /proc, /sys, /dev with its pts and shm (Xvfb needs them), and the lent Qt cache if asked for.
mount_system() {
  mount -t proc proc "$root/proc" && mounted+=("$root/proc")
  mount -t sysfs sysfs "$root/sys" && mounted+=("$root/sys")
  bind /dev "$root/dev"
  bind /dev/pts "$root/dev/pts"
  bind /dev/shm "$root/dev/shm"
  if [ "$reuse_qt" = yes ]; then
    local cache="${XDG_CACHE_HOME:-$HOME/.cache}/quillonmacro"
    local qt
    qt=$(ls -d "$cache"/qt-*-mingw-static 2>/dev/null | head -n 1)
    [ -n "$qt" ] && [ -f "$qt/.quillonmacro-complete" ] || {
      echo "no finished Qt for Windows in $cache: run scripts/build-qt-windows.sh first" >&2
      return 1
    }
    # The same absolute path as here: Qt's CMake files name their own prefix.
    bind "$qt" "$root$qt" ro
  fi
}

# The unit, corpus and command-line tests. The other groups need a window manager's session, a compositor or an
# accessibility bus, more than a root like this one gives; the tests that need an X server start their own.
run_tests() {
  in_root ctest --test-dir build --output-on-failure -j "$(nproc)" \
    -E '^(desktop|keyboard_layouts|process_sound|screen|editor|quick_input|viewer|accessibility|install|wayland)\.'
}

echo "Checking a fresh Debian 12 root in $root (logs in $logs)"
step debootstrap make_root
step clone copy_tree
# Not a step of its own: the mounts must be known here, to be undone at the end.
printf '%-28s ' mounts
mount_system
echo ok
# The demo first, as a newcomer runs it: it installs only what building and running need, so this also checks
# that those packages are enough.
step demo in_root scripts/demo.sh
step install-deps in_root scripts/install-deps.sh --test
step build-linux in_root scripts/builds.sh linux
step build-release in_root scripts/builds.sh release
step install-windows-deps in_root scripts/install-windows-deps.sh
step build-windows in_root scripts/builds.sh windows
step build-asan in_root scripts/builds.sh asan
step build-fuzz in_root scripts/builds.sh fuzz
step tests run_tests
report_passed
