#!/usr/bin/env bash
# Results window benchmark: builds a FAT32 image with 100,000 files in 1,000 folders (half of
# the files deleted), then scans it through the results window under Wine and a private X
# server, on a drive letter backed by the image, and prints the engine's scan time beside the
# time from the scan's end to the results tree on screen (and, with the find-file scan, to the
# hit list). Needs scripts/build.sh first (results_bench.exe).
#   tools/bench/bench_results.sh [WORKDIR]   (default build/bench-results; TOLVANE_BENCH_MB
#                                             scales the image: 1,000 folders to the GiB)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=${1:-$root/build/bench-results}
mkdir -p "$work"
. "$root/tools/bench/bench_common.sh"
TOLVANE_BENCH_NATIVE=""  # the window runs under Wine only
bench_setup "$root" "$work"
if [ "$have_wine" != 1 ] || [ ! -f "$win_bin/results_bench.exe" ]; then
  echo "no $win_bin/results_bench.exe or no Wine: run scripts/build.sh first" >&2
  exit 1
fi
folders=$(( bench_mb * 1000 / 1024 ))
[ "$folders" -lt 10 ] && folders=10
img=$images/fat32_${folders}x100.img

build_image() {
  [ -f "$img.done" ] && return 0
  echo "== building $img ($((folders * 100)) files)"
  rm -f "$img"
  # FAT32 asks for 65,525 clusters at least: 4 KiB clusters from 512 MiB, 512-byte ones below.
  local cluster=8
  [ "$bench_mb" -lt 512 ] && cluster=1
  mkfs.fat -C -F 32 -s "$cluster" --invariant -i 5EED5EED "$img" $((bench_mb * 1024)) >/dev/null
  local src=$img.src
  rm -rf "$src"
  mkdir -p "$src"
  python3 - "$src" "$folders" <<'PY'
import os, sys
src, folders = sys.argv[1], int(sys.argv[2])
for d in range(folders):
    folder = os.path.join(src, f"Folder {d:04d}")
    os.makedirs(folder)
    for f in range(100):
        # "d..." files are deleted after the copy, "k..." files are kept.
        name = f"{'d' if f % 2 else 'k'}{f:03d} file with a long name.txt"
        with open(os.path.join(folder, name), "wb") as out:
            out.write(bytes([65 + f % 26]) * (100 + f * 37))
PY
  mcopy -s -Q -i "$img" "$src"/* ::/
  local d
  for d in $(seq -f "%04g" 0 $((folders - 1))); do
    mdel -i "$img" "::/Folder $d/d*" >/dev/null
  done
  rm -rf "$src"
  touch "$img.done"
}
bench_locked "fat32_${folders}x100" build_image >&2

# A private display; its number comes back through a pipe.
fifo=$bench_work/xvfb.fifo
rm -f "$fifo"; mkfifo "$fifo"
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
read -r display < "$fifo"
rm -f "$fifo"
trap 'kill $xvfb_pid 2>/dev/null || true; bench_wine_stop' EXIT
bench_drives "r=$img"

results() {  # the window program from its own folder (Lang.rec and the DLLs beside it)
  (cd "$win_bin" && DISPLAY=:$display WINEDEBUG=-all \
    TOLVANE_WINEPREFIX=$bench_work/drives/prefix "$win_tree/wine-run.sh" \
    ./results_bench.exe '\\.\R:' fat "$@" </dev/null 2>/dev/null | tr -d '\r')
}
echo "image: $img ($((folders * 100)) files, half of them deleted)"
echo "== folder-tree scan, drive R:"
results
echo "== find-file scan, drive R:"
results find
