#!/bin/sh
# A Wine prefix of its own for the drive tests, so that the shared prefix's drives never
# change under other tests:
#   drive_prefix.sh setup   BASE_PREFIX WORK_DIR WINE_RUN   - builds WORK_DIR/prefix
#   drive_prefix.sh cleanup BASE_PREFIX WORK_DIR WINE_RUN   - stops its wineserver
# The prefix is a hard-linked copy of the build tree's prefix (real copies of the registry
# files, which Wine rewrites) with these drives:
#   F:  a folder holding fat.img, a FAT16 image made here; F:: is the image (hard-linked into
#       F:'s folder, or Wine reports "NTFS" for the drive instead of the image's file system)
#   M:  a plain folder (a fixed drive)
#   N:  a folder typed "cdrom", O: a folder typed "network" (HKLM\Software\Wine\Drives)
set -eu
PATH=$PATH:/usr/sbin:/sbin  # mkfs.fat lives there, outside some users' PATH
action=$1 base=$2 work=$3 wine_run=$4
prefix=$work/prefix
wineserver=/usr/lib/wine/wineserver64

stop_server() {
  if [ -d "$prefix" ]; then
    WINEPREFIX=$prefix "$wineserver" -k </dev/null >/dev/null 2>&1 || true
  fi
}

if [ "$action" = cleanup ]; then
  stop_server
  exit 0
fi

# The base prefix is made by the first Windows program run through wine-run.sh.
"$wine_run" cmd /c exit </dev/null >/dev/null 2>&1 || true
[ -f "$base/system.reg" ] || { echo "no base prefix at $base" >&2; exit 1; }

stop_server
rm -rf "$work"
mkdir -p "$work/f" "$work/m" "$work/n" "$work/o"
cp -al "$base" "$prefix"
for file in system.reg user.reg userdef.reg; do
  rm -f "$prefix/$file"
  cp "$base/$file" "$prefix/$file"
done

mkfs.fat -F 16 -n TOLVANEF -C "$work/fat.img" 16384 >/dev/null
ln "$work/fat.img" "$work/f/fat.img"

ln -s "$work/f" "$prefix/dosdevices/f:"
ln -s "$work/f/fat.img" "$prefix/dosdevices/f::"
ln -s "$work/m" "$prefix/dosdevices/m:"
ln -s "$work/n" "$prefix/dosdevices/n:"
ln -s "$work/o" "$prefix/dosdevices/o:"

# Read when the prefix's first session starts; nothing has run in this copy yet.
cat >>"$prefix/system.reg" <<'REG'

[Software\\Wine\\Drives] 1700000000
"n:"="cdrom"
"o:"="network"
REG
