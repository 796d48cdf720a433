#!/usr/bin/env bash
# Tests of quillonmacro-gnome-windows: enabling with no shell running writes GNOME's setting and says a login
# is needed; a shell of 45 or later gets the module form in the user's folder, an older one the system-wide
# form; with a shell running that knows the extension it starts at once; disable and status.
# Usage: enable_command_test.sh HARNESS EXTENSION_TREE
set -uo pipefail
harness=$1
tree=$(cd "$2" && pwd)
command="$tree/bin/quillonmacro-gnome-windows"
uuid='windows@quillonmacro.org'
failures=0
passed=0
check() { # DESCRIPTION CONDITION...
  local what=$1
  shift
  if "$@"; then passed=$((passed + 1)); else
    echo "FAIL: $what" >&2
    failures=$((failures + 1))
  fi
}
contains() { grep -qF -- "$2" <<<"$1"; }

# 1. No shell running, in a private D-Bus session and home: the setting and the forms.
offline() {
  work=$QM_ENABLE_TEST_WORK
  mkdir -p "$work/bin"
  user_copy="$XDG_DATA_HOME/gnome-shell/extensions/$uuid"
  fake_shell() { # VERSION: a gnome-shell on the PATH that only tells its version
    printf '#!/bin/sh\necho "GNOME Shell %s"\n' "$1" >"$work/bin/gnome-shell"
    chmod +x "$work/bin/gnome-shell"
  }
  export PATH="$work/bin:$PATH"

  fake_shell 43.9
  out=$("$command" enable 2>&1)
  check "enable without a shell succeeds" test $? -eq 0
  check "enable says the next login: $out" contains "$out" '次に GNOME にログインしたときから'
  check "the uuid is in enabled-extensions" contains "$(gsettings get org.gnome.shell enabled-extensions)" "'$uuid'"
  check "GNOME Shell 43 uses the system-wide form, no user copy" test ! -e "$user_copy"
  out=$("$command" enable 2>&1)
  check "enabling twice lists the uuid once" test "$(gsettings get org.gnome.shell enabled-extensions |
    grep -o "$uuid" | wc -l)" -eq 1
  out=$("$command" status 2>&1)
  check "status: enabled, system-wide, shell not running: $out" \
    contains "$out" "設定: 有効"
  check "status names the system-wide copy" contains "$out" "share/gnome-shell/extensions/$uuid"
  check "status says the shell is not running" contains "$out" "GNOME Shell が動いていません"

  # Another extension of the user's stays in the list through enable and disable.
  gsettings set org.gnome.shell enabled-extensions "['other@example.org', '$uuid']"
  gsettings set org.gnome.shell disable-user-extensions true
  out=$("$command" disable 2>&1)
  check "disable succeeds: $out" contains "$out" '拡張機能を無効にしました。'
  check "disable keeps the other extension" test \
    "$(gsettings get org.gnome.shell enabled-extensions)" = "['other@example.org']"

  fake_shell 46.2
  out=$("$command" enable 2>&1)
  check "enable for GNOME Shell 46 succeeds: $out" contains "$out" "GNOME Shell 46 用の拡張機能を"
  check "the module form is in the user's folder" grep -q '^export default class' "$user_copy/extension.js"
  check "its service exports the class" grep -q '^export {WindowsService};' "$user_copy/service.js"
  check "its metadata names 46" grep -q '"46"' "$user_copy/metadata.json"
  check "enable turned user extensions back on" \
    test "$(gsettings get org.gnome.shell disable-user-extensions)" = false
  check "enable keeps the other extension" test \
    "$(gsettings get org.gnome.shell enabled-extensions)" = "['other@example.org', '$uuid']"

  fake_shell 44.1
  "$command" enable >/dev/null 2>&1
  check "back on GNOME Shell 44 the module form is removed" test ! -e "$user_copy"

  out=$("$command" bogus 2>&1)
  check "an unknown mode fails with the usage" test $? -eq 2
  check "the usage is shown" contains "$out" '使い方: quillonmacro-gnome-windows enable|disable|status'
}
if [ -z "${QM_ENABLE_TEST_INNER:-}" ]; then
  # The offline part runs in a D-Bus session and home of its own: gsettings writes through the dconf service
  # on that bus, which takes its home from the environment the bus starts with.
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  mkdir -m 0700 "$work/run"
  (
    export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
    export XDG_RUNTIME_DIR="$work/run" QM_ENABLE_TEST_WORK="$work" QM_ENABLE_TEST_INNER=offline
    unset DBUS_SESSION_BUS_ADDRESS
    dbus-run-session -- "$0" "$@" 2> >(grep -v -e 'fd limit' -e '^dbus-daemon\[' >&2)
  )
  offline_status=$?
  # 2. A shell running that knows the extension (in its data dirs) but was started without it enabled.
  QM_ENABLE_TEST_INNER=online "$harness" "$tree" --without-extension -- "$0" "$@"
  online_status=$?
  [ "$offline_status" -eq 0 ] && [ "$online_status" -eq 0 ] || exit 1
  exit 0
fi

online() {
  answers() {
    gdbus call --session --timeout 5 --dest org.quillonmacro.Windows --object-path /org/quillonmacro/Windows \
      --method org.quillonmacro.Windows1.Version >/dev/null 2>&1
  }
  check "the service is not there before enable" bash -c '! gdbus call --session --timeout 5 \
    --dest org.quillonmacro.Windows --object-path /org/quillonmacro/Windows \
    --method org.quillonmacro.Windows1.Version >/dev/null 2>&1'
  out=$("$command" status 2>&1)
  check "status before enable: $out" contains "$out" '動作: 停止中'
  out=$("$command" enable 2>&1)
  check "enable with the shell running says it works at once: $out" contains "$out" 'すぐに使えます'
  check "the service answers after enable" answers
  out=$("$command" status 2>&1)
  check "status after enable: $out" contains "$out" '動作: 動作中'
  "$command" disable >/dev/null 2>&1
  sleep 0.5
  check "the service is gone after disable" bash -c '! gdbus call --session --timeout 5 \
    --dest org.quillonmacro.Windows --object-path /org/quillonmacro/Windows \
    --method org.quillonmacro.Windows1.Version >/dev/null 2>&1'
}

"$QM_ENABLE_TEST_INNER"
echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
