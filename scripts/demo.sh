#!/usr/bin/env bash
# The program's main job on this machine: builds a FAT32 and an NTFS demo volume with deleted
# files and folders (tools/demo), maps them as drives F: and N: in a Wine prefix of their own
# (build/demo/drives/prefix) and starts Vardeck.exe there, with its start window listing both drives.
#   scripts/demo.sh            on the desktop in DISPLAY; ends when Vardeck is closed
#   scripts/demo.sh --shot     without a desktop: runs under a private Xvfb, writes
#                              build/demo/start_window.png after a few seconds and ends
# Run scripts/setup.sh once before. The NTFS volume needs ntfs-3g over FUSE (root or FUSE
# rights); without it only the FAT32 drive is mapped.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
demo=$root/build/demo
bin=$root/build/x86_64/bin
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
shot=""
[ "${1:-}" = "--shot" ] && shot=$demo/start_window.png

TOLVANE_JOBS=${TOLVANE_JOBS:-3} scripts/build.sh >/dev/null
[ -f "$bin/Vardeck.exe" ] || { echo "no $bin/Vardeck.exe: run scripts/setup.sh first" >&2; exit 1; }

echo "== building the demo volumes"
python3 tools/demo/build_demo_volumes.py "$demo/volumes"
drives=("f=$demo/volumes/demo_fat32.img")
if [ -f "$demo/volumes/demo_ntfs.img" ]; then
  drives+=("n=$demo/volumes/demo_ntfs.img")
else
  echo "   no NTFS drive: $(cat "$demo/volumes/NTFS_SKIPPED" 2>/dev/null)"
fi

echo "== mapping them as drives in $demo/drives/prefix"
tests/support/image_drive_prefix.sh setup "$root/build/x86_64/wineprefix" "$demo/drives" \
  "$root/build/x86_64/wine-run.sh" "${drives[@]}"
export WINEPREFIX=$demo/drives/prefix WINEARCH=win64 WINESERVER=$wineserver
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  "$wineserver" -k 2>/dev/null || true
}
trap cleanup EXIT

if [ -n "$shot" ] || [ -z "${DISPLAY:-}" ]; then
  [ -n "$shot" ] || shot=$demo/start_window.png
  fifo=$(mktemp -u); mkfifo "$fifo"
  Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r display < "$fifo"; rm -f "$fifo"
  export DISPLAY=":$display"
  # No window manager on a private X server: Wine must not wait for one.
  "$wine" reg add 'HKCU\Software\Wine\AppDefaults\Vardeck.exe\X11 Driver' /v Managed /d N /f \
    </dev/null >/dev/null 2>&1
  echo "== starting Vardeck.exe on a private X server"
  (cd "$bin" && "$wine" Vardeck.exe </dev/null >/dev/null 2>&1 &)
  sleep 8
  xwd -root -silent -display "$DISPLAY" | /usr/bin/convert xwd:- "$shot"
  echo "   the start window: $shot"
else
  echo "== starting Vardeck.exe (close it to end the demo)"
  cd "$bin" && "$wine" Vardeck.exe
fi
