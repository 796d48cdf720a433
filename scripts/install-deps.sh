#!/usr/bin/env bash
# Installs the Debian packages QuillonMacro needs; skips what is present. Runs apt-get directly as root, through
# sudo otherwise.
#   scripts/install-deps.sh          what building and running the programs and the demo need
#   scripts/install-deps.sh --test   that, and the test toolchain of the test command (compilers and test
#                                    libraries, the desktops the tests start, packaging checks)
set -euo pipefail

with_tests=no
case "${1:-}" in
  "") ;;
  --test) with_tests=yes ;;
  *) echo "usage: $0 [--test]" >&2; exit 2 ;;
esac

packages=(
  # the build
  cmake ninja-build g++ pkg-config
  # the programs: Qt, X11 (XTest, XInput2, MIT-SHM, RandR monitors), sound, and a Japanese font for the captions
  qt6-base-dev libgl-dev
  # Qt's own texts (file dialogs, standard buttons, context menus) in Japanese
  qt6-translations-l10n
  libx11-dev libxtst-dev libxext-dev libxi-dev libxrandr-dev libsdl2-mixer-dev
  fonts-ipafont-gothic
  # the General MIDI instruments SOUND needs to play MIDI files
  timgm6mb-soundfont
  # Wayland desktops: the client library, keymaps, the protocol files, D-Bus (sd-bus) and PipeWire for GNOME's
  # remote desktop and screen cast
  libwayland-dev libwayland-bin wayland-protocols libxkbcommon-dev libsystemd-dev libpipewire-0.3-dev libspa-0.2-dev
  # sway's IPC answers (JSON), read with a library of headers only, so the program loads nothing more at start
  rapidjson-dev
  # the demo: a private X server with a window manager (xprop and xlogo see it ready), a terminal the macro
  # drives, xdotool to press F5 in the editor, ImageMagick's import for the screenshots
  xvfb openbox x11-utils x11-apps xterm xdotool imagemagick
)

test_packages=(
  # the fuzz and sanitizer builds, unit tests and benchmarks
  clang libclang-rt-14-dev
  libgtest-dev googletest libbenchmark-dev
  # desktop tests: tools that observe the desktop
  xauth xinput
  # other keyboard layouts on the test display (setxkbmap and the XKB layouts)
  x11-xkb-utils xkb-data
  # the stacking order under a second window manager, and two-monitor and high-density test displays (xrandr,
  # xrdb)
  fluxbox x11-xserver-utils
  # GUI tests through the accessibility tree: the AT-SPI bus and registry, its Python binding, and a private
  # D-Bus session to run them in (dbus-run-session)
  at-spi2-core python3-pyatspi dbus-daemon
  # Wayland tests: headless mutter and GNOME Shell with PipeWire, sway, and native clients as targets (foot,
  # a GTK 3 program of ours through PyGObject); grim, the wlroots screenshot tool scaled outputs are checked
  # against
  mutter gnome-shell pipewire wireplumber sway foot python3-gi python3-gi-cairo gir1.2-gtk-3.0 grim
  # a desktop the program cannot drive directly, with Xwayland (weston); KDE Plasma's compositor and the tool
  # that builds KDE's service cache, where KWin looks up which programs it lends its interfaces
  weston xwayland kwin-wayland libkf5service-bin
  # the JavaScript of our GNOME Shell extension run outside the shell, in its module form (gjs -m)
  gjs
  # GNOME's keyboard layout is read with gsettings (the GNOME tests' harness uses it too)
  libglib2.0-bin
  # packaging checks
  dpkg-dev fakeroot file lintian
  # a locale whose decimal point is ",", for the tests that numbers ignore the host's locale
  locales
)
if [ "$with_tests" = yes ]; then packages+=("${test_packages[@]}"); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

as_root=()
if [ "$(id -u)" -ne 0 ]; then as_root=(sudo); fi

if [ ${#missing[@]} -ne 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${as_root[@]}" apt-get update -q
  "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if [ "$with_tests" = yes ] && ! locale -a 2>/dev/null | grep -qix 'de_DE.utf8'; then
  echo "Generating the locale de_DE.UTF-8"
  if ! grep -qx 'de_DE.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'de_DE.UTF-8 UTF-8' | "${as_root[@]}" tee -a /etc/locale.gen >/dev/null
  fi
  "${as_root[@]}" locale-gen >/dev/null
fi
