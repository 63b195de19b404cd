#!/usr/bin/env bash
# Installs what building and testing Tolvane needs (Debian 12) and configures and builds the
# three trees: build/native, build/x86_64, build/i686. Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake ninja-build python3 clang libclang-rt-14-dev googletest
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine wine64 wine32:i386 xvfb xauth x11-apps x11-utils imagemagick fonts-wine
  dosfstools mtools ntfs-3g fuse3 sleuthkit
  fp-utils-3.2.2   # chmcmd and chmls: the help file Tolvane.chm
)

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo

# The 32-bit deliverables run under Wine's 32-bit loader (wine32, an i386 package).
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  force_update=1  # its package lists come with the update below
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ] || [ -n "${force_update:-}" ]; then
  $SUDO apt-get update
  if [ ${#missing[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
  fi
fi

exec scripts/build.sh
