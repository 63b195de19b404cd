#!/usr/bin/env bash
# Results window benchmark: builds a FAT32 image with 100,000 files in 1,000 folders (half of
# the files deleted), then scans it through the results window under Wine and a private X
# server and prints the engine's scan time beside the time from the scan's end to the results
# tree on screen (and, with the find-file scan, to the hit list). Not a test: run it by hand
# after scripts/build.sh.
#   tools/bench/bench_results.sh [WORKDIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=${1:-$root/build/bench-results}
mkdir -p "$work"
work=$(cd "$work" && pwd)  # Wine names files by absolute path
img=$work/fat32_100k.img
export MTOOLS_SKIP_CHECK=1 PATH=$PATH:/usr/sbin:/sbin

if [ ! -f "$work/image.done" ]; then
  echo "== building $img (100,000 files; takes a few minutes)"
  rm -f "$img"
  mkfs.fat -C -F 32 -s 8 --invariant -i 5EED5EED "$img" $((1024 * 1024)) >/dev/null
  src=$work/src
  rm -rf "$src"
  mkdir -p "$src"
  python3 - "$src" <<'PY'
import os, sys
src = sys.argv[1]
for d in range(1000):
    folder = os.path.join(src, f"Folder {d:04d}")
    os.makedirs(folder)
    for f in range(100):
        # "d..." files are deleted after the copy, "k..." files are kept.
        name = f"{'d' if f % 2 else 'k'}{f:03d} file with a long name.txt"
        with open(os.path.join(folder, name), "wb") as out:
            out.write(bytes([65 + f % 26]) * (100 + f * 37))
PY
  mcopy -s -Q -i "$img" "$src"/* ::/
  for d in $(seq -f "%04g" 0 999); do
    mdel -i "$img" "::/Folder $d/d*" >/dev/null
  done
  rm -rf "$src"
  touch "$work/image.done"
fi

exe=$root/build/x86_64/bin/results_bench.exe
if [ ! -f "$exe" ]; then
  echo "no $exe: run scripts/build.sh first" >&2
  exit 1
fi
. "$root/tools/bench/bench_wine.sh"
bench_root=$root
bench_work=$work
mkdir -p "$work/wineprefix"
if [ ! -f "$work/wineprefix/system.reg" ]; then
  bench_wine_env /usr/lib/wine/wine64 wineboot -i </dev/null >/dev/null 2>&1 || true
  bench_wine_env /usr/lib/wine/wineserver64 -w </dev/null >/dev/null 2>&1 || true
fi
bench_wine_env /usr/lib/wine/wineserver64 -p30 </dev/null >/dev/null 2>&1 || true

# A private display; its number comes back on fd 3.
exec 3< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
xvfb_pid=$!
read -r display <&3
trap 'kill $xvfb_pid 2>/dev/null || true; bench_wine_stop 2>/dev/null || true' EXIT
win_img=$(bench_wine_path "$img")

echo "== folder-tree scan of $img"
(cd "$root/build/x86_64/bin" && DISPLAY=:$display bench_wine_env /usr/lib/wine/wine64 \
  ./results_bench.exe "$win_img" fat | tr -d '\r')
echo "== find-file scan of $img"
(cd "$root/build/x86_64/bin" && DISPLAY=:$display bench_wine_env /usr/lib/wine/wine64 \
  ./results_bench.exe "$win_img" fat find | tr -d '\r')
