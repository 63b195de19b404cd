#!/bin/sh
# A Wine prefix of its own whose drives are volume images, for window tests that list and scan
# drives (the shared prefix's drives never change under other tests):
#   image_drive_prefix.sh setup   BASE_PREFIX WORK_DIR WINE_RUN LETTER=IMAGE...
#   image_drive_prefix.sh cleanup BASE_PREFIX WORK_DIR WINE_RUN
# The prefix (WORK_DIR/prefix) is a hard-linked copy of BASE_PREFIX with real copies of the
# registry files, which Wine rewrites. For each LETTER=IMAGE the image is hard-linked into
# WORK_DIR/LETTER (a copy when it lies on another file system), "LETTER:" points at that
# folder and "LETTER::" at the image inside it: Wine reports the image's own file system,
# label and serial only when the image lies inside the drive's folder. The prefix's other
# drives stay (C: and Z:). LETTER=:fixed, LETTER=:cdrom and LETTER=:network make an empty
# folder drive of that type instead (HKLM\Software\Wine\Drives).
set -eu
action=$1 base=$2 work=$3 wine_run=$4
shift 4
prefix=$work/prefix
wineserver=/usr/lib/wine/wineserver64

# The prefix and the copies of it that window-test lanes run in (prefix-<lane>).
stop_server() {
  for running in "$prefix" "$prefix"-*; do
    if [ -d "$running" ]; then
      WINEPREFIX=$running "$wineserver" -k </dev/null >/dev/null 2>&1 || true
    fi
  done
}

if [ "$action" = cleanup ]; then
  stop_server
  exit 0
fi

# The base prefix is made by the first Windows program run through wine-run.sh, which exits
# 77 where the machine cannot start the tree's programs at all: nothing to prepare then.
started=0
why=$("$wine_run" cmd /c exit </dev/null 2>/dev/null) || started=$?
if [ "$started" = 77 ]; then
  printf '%s\n' "$why" | grep SKIPPED
  exit 77
fi
[ -f "$base/system.reg" ] || { echo "no base prefix at $base" >&2; exit 1; }

stop_server
rm -rf "$work"
mkdir -p "$work"
cp -al "$base" "$prefix"
for file in system.reg user.reg userdef.reg; do
  rm -f "$prefix/$file"
  cp "$base/$file" "$prefix/$file"
done

types=""
for drive in "$@"; do
  letter=${drive%%=*}
  image=${drive#*=}
  mkdir -p "$work/$letter"
  rm -f "$prefix/dosdevices/$letter:" "$prefix/dosdevices/$letter::"
  ln -s "$work/$letter" "$prefix/dosdevices/$letter:"
  case $image in
    :fixed) continue ;;
    :cdrom|:network) types="$types\"$letter:\"=\"${image#:}\"
"; continue ;;
  esac
  [ -f "$image" ] || { echo "no image $image for drive $letter:" >&2; exit 1; }
  name=$(basename "$image")
  ln "$image" "$work/$letter/$name" 2>/dev/null || cp "$image" "$work/$letter/$name"
  ln -s "$work/$letter/$name" "$prefix/dosdevices/$letter::"
done
# Read when the prefix's first session starts; nothing has run in this copy yet.
if [ -n "$types" ]; then
  printf '\n[Software\\\\Wine\\\\Drives] 1700000000\n%s' "$types" >>"$prefix/system.reg"
fi
