#!/usr/bin/env bash
# The Windows installer under Wine, in a fresh Wine prefix of its own: a silent install for all users and one for
# the current user, each checked (files, Start-menu entries, uninstall key, .qlx file type, the installed
# programs running corpus macros) and then removed by the silent uninstaller, which must leave the prefix's
# files and registry as they were before the install.
# Usage: check-installer.sh BUILD_DIR SOURCE_DIR PACKAGE_NAME RUNNER_EXE [editor=EXE] [viewer=EXE]
#        (editor and viewer: the window programs, when the build has them)
set -u
. "$(dirname "$0")/package-check-arguments.sh"
installer="$build/$name.exe"
zip="$build/$name.zip"
here=$(cd "$(dirname "$0")" && pwd)
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

work="$build/installer-test"
rm -rf "$work"
mkdir -p "$work/home"
[ -f "${HOME:-}/.asoundrc" ] && cp "$HOME/.asoundrc" "$work/home/"
export WINEPREFIX="$work/prefix" HOME="$work/home" WINEDEBUG=-all
# No desktop entries or MIME types of the host for the shortcuts and the file type.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
cleanup() {
  "$wineserver" -k 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The prefix's state for the before/after comparison, after the Wine server has stopped and saved the registry:
# its files, less the temporary folders, and its registry, less the time stamps, the devices that Wine sets up
# again at each start, and the uninstaller's request to delete its temporary copy at the next reboot.
snapshot() { # DIR
  "$wineserver" -w
  mkdir -p "$1"
  (cd "$WINEPREFIX/drive_c" && find . \( -path ./windows/temp -o -path './users/*/Temp' \) -prune -o -print |
    sort) >"$1/files"
  local VOLATILE='^\[(System\\\\CurrentControlSet\\\\Control\\\\Class\\\\|Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion\\\\NetworkCards)'
  for hive in system user userdef; do
    VOLATILE=$VOLATILE awk '/^\[/ { skip = $0 ~ ENVIRON["VOLATILE"] }
         /^#time=|^"PendingFileRenameOperations"=/ { next }
         !skip { sub(/\] [0-9]+$/, "]"); print }' "$WINEPREFIX/$hive.reg" >"$1/$hive.reg"
  done
}

# One value from a saved registry hive: reg_value HIVE KEY NAME (NAME @ for the key's default value). Prints the
# value without quotes and escapes; fails when the key or the value is not there.
reg_value() {
  KEY="[${2//\\/\\\\}]" NAME=$3 awk '
    BEGIN { key = ENVIRON["KEY"]; name = ENVIRON["NAME"] == "@" ? "@" : "\"" ENVIRON["NAME"] "\"" }
    /^\[/ { rest = substr($0, length(key) + 1); inside = index($0, key) == 1 && (rest == "" || rest ~ /^ /); next }
    inside && index($0, name "=") == 1 { print substr($0, length(name) + 2); found = 1; exit }
    END { exit !found }' "$WINEPREFIX/$1.reg" | sed -E 's/^(str\([0-9]+\):)?"//; s/"$//; s/\\"/"/g; s/\\\\/\\/g'
}
has_key() { # HIVE KEY
  grep -qiF "[${2//\\/\\\\}]" "$WINEPREFIX/$1.reg"
}

# The files the installer must put in its folder: those of the zip (without its top folder) and the uninstaller.
unzip -Z1 "$zip" | sed -n "s|^$name/||p" | sed '/^$/d; s|/$||' | sort >"$work/zip-files"
{ cat "$work/zip-files"; echo Uninstall.exe; } | sort >"$work/expected-files"

# Corpus macros (output, error lines and exit status) and the installed example, run by each program.
run_macros() { # INSTALL_DIR "MACRO..." PROGRAM...
  local dir=$1 macros=$2 program macro
  shift 2
  for program in "$@"; do
    for macro in $macros; do
      "$here/run-corpus-macro.sh" "$dir/$program" "$source/tests/macros/$macro.qlx" >"$work/macro.log" 2>&1 ||
        { cat "$work/macro.log"; fail "$program in $dir: corpus macro $macro"; }
    done
    local demo="Z:${dir//\//\\}\\examples\\demo.qlx"
    "$here/wine-exec.sh" "$dir/$program" "$demo" >"$work/demo.out" 2>"$work/demo.err"
    local status=$?
    { [ "$status" = 0 ] && [ ! -s "$work/demo.err" ] && tail -n 1 "$work/demo.out" | grep -q '終了しました。'; } ||
      fail "$program in $dir: the installed example (status $status): $(cat "$work/demo.err")"
  done
}

# Checks one install: check_install MODE INSTALL_DIR START_MENU HIVE OTHER_HIVE WINDOWS_INSTALL_DIR "MACRO..."
check_install() {
  local mode=$1 dir=$2 menu=$3 hive=$4 other=$5 windir=$6 macros=$7
  (cd "$dir" 2>/dev/null && find . -mindepth 1 \( -type f -o -type d \) | sed 's|^\./||' | sort) >"$work/installed"
  diff -u "$work/expected-files" "$work/installed" >"$work/files.diff" ||
    { cat "$work/files.diff"; fail "$mode: the installed files differ from the zip's (+ Uninstall.exe)"; }

  # Start-menu entries for the window programs; a link holds its target's full path in the system's code page.
  local link program
  for link in ${editor:+QuillonMacro.lnk:$editor} ${viewer:+Glossel.lnk:$viewer}; do
    program=${link#*:}
    link="$menu/QuillonMacro/${link%%:*}"
    if [ ! -f "$link" ]; then
      fail "$mode: no Start-menu entry $link"
    elif ! grep -qaF "$windir\\$program" "$link"; then
      fail "$mode: $link does not start $windir\\$program"
    fi
  done
  [ -n "$editor$viewer" ] || [ ! -e "$menu/QuillonMacro" ] || fail "$mode: a Start-menu folder without programs"

  run_macros "$dir" "$macros" "$runner" $editor

  # The registry as saved by the Wine server when it stops (it still runs from the install and the macros).
  "$wineserver" -k

  local uninstall='Software\Microsoft\Windows\CurrentVersion\Uninstall\QuillonMacro'
  [ "$(reg_value "$hive" "$uninstall" InstallLocation)" = "$windir" ] ||
    fail "$mode: the uninstall key lacks InstallLocation $windir"
  [ "$(reg_value "$hive" "$uninstall" UninstallString)" = "\"$windir\\Uninstall.exe\"" ] ||
    fail "$mode: UninstallString is not \"$windir\\Uninstall.exe\""
  reg_value "$hive" "$uninstall" DisplayName | grep -q QuillonMacro || fail "$mode: the uninstall key lacks DisplayName"
  has_key "$other" "$uninstall" && fail "$mode: an uninstall key in the $other hive too"

  local classes='Software\Classes' open
  [ "$(reg_value "$hive" "$classes\\.qlx" @)" = QuillonMacro.qlx ] || fail "$mode: .qlx is not QuillonMacro.qlx"
  open=$(reg_value "$hive" "$classes\\QuillonMacro.qlx\\shell\\open\\command" @) || fail "$mode: no open command for .qlx"
  if [ -n "$editor" ]; then
    [ "$open" = "\"$windir\\$editor\" --edit \"%1\"" ] || fail "$mode: .qlx opens with '$open', not in the editor"
  else
    case "$open" in *'\notepad.exe" "%1"') ;; *) fail "$mode: .qlx opens with '$open', not in Notepad" ;; esac
  fi
  # Opening a macro must never run it: open is the default and the only verb.
  [ "$(reg_value "$hive" "$classes\\QuillonMacro.qlx\\shell" @)" = open ] || fail "$mode: the default verb is not open"
  grep -iF '[Software\\Classes\\QuillonMacro.qlx\\shell\\' "$WINEPREFIX/$hive.reg" |
    grep -viF -e '\\shell\\open]' -e '\\shell\\open\\command]' && fail "$mode: .qlx has another verb"
  has_key "$other" "$classes\\QuillonMacro.qlx" && fail "$mode: the file type in the $other hive too"
}

# Uninstalls silently: the uninstaller copies itself to the temporary folder and returns at once, so the end of
# every process of the prefix is awaited (snapshot does that); then the prefix must be as before the install.
check_uninstall() { # MODE INSTALL_DIR
  local mode=$1 dir=$2
  [ -f "$dir/Uninstall.exe" ] || { fail "$mode: no Uninstall.exe"; return; }
  "$wine" "$dir/Uninstall.exe" /S || fail "$mode: the uninstaller failed ($?)"
  snapshot "$work/after-$mode"
  local part
  for part in files system.reg user.reg userdef.reg; do
    diff -u "$work/before/$part" "$work/after-$mode/$part" >"$work/left.diff" ||
      { cat "$work/left.diff"; fail "$mode: the uninstall left the prefix's $part changed"; }
  done
}

start=$SECONDS
"$wine" wineboot --init >/dev/null 2>&1
# The user's own classes key, which Windows always has and Wine creates only on demand.
"$wine" reg add 'HKCU\Software\Classes' /f >/dev/null 2>&1
snapshot "$work/before"
echo "fresh prefix: $((SECONDS - start)) s"
users="$WINEPREFIX/drive_c/users"
user=$(ls "$users" | grep -vx Public | head -n 1)

# All users: Program Files, the common Start menu, HKLM. Installed twice: the second install runs the first one's
# uninstaller, which takes along the run buffer a program left in its folder.
"$wine" "$installer" /S || fail "all users: the installer failed ($?)"
echo 'PRINT 1' >"$WINEPREFIX/drive_c/Program Files/QuillonMacro/macrobuf.qlx"
"$wine" "$installer" /S || fail "all users: the installer failed over an earlier install ($?)"
check_install all-users "$WINEPREFIX/drive_c/Program Files/QuillonMacro" \
  "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs" system user 'C:\Program Files\QuillonMacro' \
  "strings hanoi_gcd error_parse error_recursion"
check_uninstall all-users "$WINEPREFIX/drive_c/Program Files/QuillonMacro"
echo "all users: $((SECONDS - start)) s"

# The current user: %LOCALAPPDATA%\Programs, the user's Start menu, HKCU.
"$wine" "$installer" /S /CurrentUser || fail "current user: the installer failed ($?)"
check_install current-user "$users/$user/AppData/Local/Programs/QuillonMacro" \
  "$users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs" user system \
  "C:\\users\\$user\\AppData\\Local\\Programs\\QuillonMacro" "error_parse"
check_uninstall current-user "$users/$user/AppData/Local/Programs/QuillonMacro"
echo "current user: $((SECONDS - start)) s"

if [ "$failures" -ne 0 ]; then
  echo "$failures installer check(s) failed"
  exit 1
fi
echo "installer checks passed"
