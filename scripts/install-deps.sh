#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running QuillonMacro need; skips what is present.
# Runs apt-get directly as root, through sudo otherwise.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev pkg-config
  libgtest-dev googletest libbenchmark-dev
  qt6-base-dev
  libx11-dev libxtst-dev libxext-dev libsdl2-mixer-dev
  xvfb openbox x11-apps xterm xauth
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
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
