#!/usr/bin/env bash
# Prints the Debian mirror this machine's apt uses for bookworm (from its deb822 .sources files or its
# sources.list), or Debian's own address when neither names one. Used where a script fetches from Debian
# beside apt: the source package of Qt, a fresh Debian root for the install check.
set -euo pipefail
mirror=$(sed -n 's/^URIs:[[:space:]]*\([^[:space:]]*debian\)[[:space:]]*$/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null |
  head -n 1)
if [ -z "$mirror" ]; then
  mirror=$(sed -n 's/^deb[[:space:]]\+\(\[[^]]*\][[:space:]]\+\)\?\([^[:space:]]*debian\)\/\?[[:space:]]\+bookworm[[:space:]].*/\2/p' \
    /etc/apt/sources.list 2>/dev/null | head -n 1)
fi
echo "${mirror:-http://deb.debian.org/debian}"
