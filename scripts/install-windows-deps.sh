#!/usr/bin/env bash
# Installs the Debian packages that the Windows build and its Wine tests need; skips what is present.
# Runs apt-get directly as root, through sudo otherwise; waits while another apt-get holds the dpkg lock.
set -euo pipefail

packages=(
  # the cross compiler (posix threads model, so std::thread and std::mutex work) and CMake
  g++-mingw-w64-x86-64-posix cmake ninja-build
  # running the Windows programs on this machine, on a private X display
  wine64 xvfb openbox xauth
  # building Qt for Windows from Debian's qt6-base source: dpkg-source and patch to unpack and mend it, perl for
  # Qt's header generator, and the host Qt of the same version, whose moc, rcc, uic and CMake files a cross
  # build of Qt uses in place of building its own tools
  dpkg-dev patch xz-utils perl qt6-base-dev qt6-base-dev-tools
  # Qt's Japanese texts, carried inside the Windows programs
  qt6-translations-l10n
  # the private display's window-manager probe (xprop, xlogo), screenshots of the programs under Wine, and
  # the programs' icons, drawn from their SVGs with rsvg-convert and packed into .ico files with ImageMagick
  imagemagick librsvg2-bin x11-utils x11-apps
  # a Japanese font of the host, to which Wine's dialog fonts are mapped
  fonts-ipafont-gothic
  # the installer (CPack's NSIS generator runs makensis) and the package tests' look into the portable zip
  nsis unzip python3
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then as_root=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
apt_retry() {
  local attempt
  for attempt in $(seq 60); do
    if "${as_root[@]}" apt-get -o DPkg::Lock::Timeout=60 "$@"; then return 0; fi
    echo "(apt-get failed, attempt $attempt; retrying in 10 s)" >&2
    sleep 10
  done
  return 1
}
apt_retry update -q
apt_retry install -y -q --no-install-recommends "${missing[@]}"
