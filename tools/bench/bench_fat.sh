#!/usr/bin/env bash
# FAT scan benchmark: builds a 1 GiB FAT32 image with thousands of files (half of them deleted),
# then times our quick and full scans (native, and under Wine through the Win32 volume reader)
# beside `fls -r -d -p` and a plain `dd` read of the same image. Not a test: run it by hand.
#   tools/bench/bench_fat.sh [WORKDIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=${1:-$root/build/bench-fat}
mkdir -p "$work"
work=$(cd "$work" && pwd)  # Wine names files by absolute path
img=$work/fat32_1g.img
export MTOOLS_SKIP_CHECK=1 PATH=$PATH:/usr/sbin:/sbin

if [ ! -f "$work/image.done" ]; then
  echo "== building $img"
  rm -f "$img"
  mkfs.fat -C -F 32 -s 8 --invariant -i 5EED5EED "$img" $((1024 * 1024)) >/dev/null
  src=$work/src
  rm -rf "$src"
  mkdir -p "$src"
  python3 - "$src" <<'PY'
import os, random, sys
src = sys.argv[1]
rng = random.Random(1234)
for d in range(40):
    folder = os.path.join(src, f"Folder number {d:02d}")
    os.makedirs(os.path.join(folder, "SUB"))
    for f in range(100):
        size = rng.choice([0, 300, 4000, 20000, 100000, 250000])
        name = f"file {f:03d} with a long name.bin" if f % 2 else f"F{f:03d}.DAT"
        target = os.path.join(folder if f < 80 else os.path.join(folder, "SUB"), name)
        with open(target, "wb") as out:
            out.write(rng.randbytes(size))
PY
  mcopy -s -i "$img" "$src"/* ::/
  # Half the files deleted: every other file of every folder, and whole trees of five folders.
  del=()
  for d in $(seq -w 0 34); do
    for f in $(seq 0 2 79); do
      if [ $((f % 2)) -eq 1 ]; then n=$(printf 'file %03d with a long name.bin' "$f"); else n=$(printf 'F%03d.DAT' "$f"); fi
      del+=("::/Folder number $d/$n")
    done
  done
  mdel -i "$img" "${del[@]}"
  for d in 35 36 37 38 39; do mdeltree -i "$img" "::/Folder number $d"; done
  rm -rf "$src"
  touch "$work/image.done"
fi

echo "== building the bench programs"
srcs=("$root"/engine/{found_tree,engine,run_control,volume_reader,ansi_text}.cpp "$root"/engine/fat_{names,table,scan,folders}.cpp)
clang++ -O2 -std=c++20 -I"$root" "$root/tools/bench/fat_bench.cpp" "${srcs[@]}" -o "$work/fat_bench" -lpthread
have_wine=0
if command -v x86_64-w64-mingw32-g++-posix >/dev/null && [ -x /usr/lib/wine/wine64 ]; then
  x86_64-w64-mingw32-g++-posix -O2 -std=c++20 -static -DTOLVANE_BENCH_WIN32 -DWIN32_LEAN_AND_MEAN \
    -DNOMINMAX -I"$root" "$root/tools/bench/fat_bench.cpp" "${srcs[@]}" \
    "$root/engine/win/win32_volume_reader.cpp" -o "$work/fat_bench.exe" && have_wine=1
fi
# Through the DLL itself (threads, message pump, read-ahead reader): the one scripts/build.sh
# made, copied beside the timing program.
. "$root/tools/bench/bench_wine.sh"
[ "$have_wine" = 1 ] && bench_wine_setup "$root" "$work"

# Arithmetic on fractions through awk (no bc needed).
calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }
ratio() { awk "BEGIN { printf \"%.3f\", $1 / $2 }"; }
seconds() { local s e; s=$(date +%s.%N); "$@" >/dev/null 2>&1; e=$(date +%s.%N); calc "$e - $s"; }

echo "== warming the page cache"
cat "$img" >/dev/null
dd_s=$(seconds dd if="$img" of=/dev/null bs=1M)
fls_s=$(seconds fls -r -d -p "$img")
fls_n=$(fls -r -d -p "$img" | grep -c '^r/r \*' || true)
echo "== native scans"
"$work/fat_bench" "$img" 3 | tee "$work/native.txt"
quick_ms=$(sed -n 's/^quick scan: \([0-9.]*\) ms.*/\1/p' "$work/native.txt")
full_ms=$(sed -n 's/^full scan: \([0-9.]*\) ms.*/\1/p' "$work/native.txt")
if [ "$have_wine" = 1 ]; then
  echo "== scans under Wine (Win32VolumeReader on Z:)"
  bench_wine ./fat_bench.exe "$(bench_wine_path "$img")" 3 | tee "$work/wine.txt" || true
  if [ "${have_dll:-0}" = 1 ]; then
    echo "== scans through Scavrel.dll under Wine (ProcFat, GetProgress polled every 1 ms)"
    bench_wine ./dll_bench.exe scan fat "$(bench_wine_path "$img")" 3 | tee "$work/dll.txt" || true
  fi
  bench_wine_stop
fi
echo "== summary ($(du -h --apparent-size "$img" | cut -f1) image)"
echo "dd read:             $(printf '%.0f' "$(calc "$dd_s * 1000")") ms"
echo "fls -r -d -p:        $(printf '%.0f' "$(calc "$fls_s * 1000")") ms ($fls_n deleted files listed)"
echo "quick scan (native): $quick_ms ms  = $(ratio "$quick_ms" "$(calc "$fls_s * 1000")") x fls, $(ratio "$quick_ms" "$(calc "$dd_s * 1000")") x dd"
echo "full scan (native):  $full_ms ms  = $(ratio "$full_ms" "$(calc "$fls_s * 1000")") x fls, $(ratio "$full_ms" "$(calc "$dd_s * 1000")") x dd"
if [ -f "$work/wine.txt" ]; then
  wq=$(sed -n 's/^quick scan: \([0-9.]*\) ms.*/\1/p' "$work/wine.txt")
  wf=$(sed -n 's/^full scan: \([0-9.]*\) ms.*/\1/p' "$work/wine.txt")
  [ -n "$wq" ] && echo "quick scan (Wine):   $wq ms  = $(ratio "$wq" "$(calc "$fls_s * 1000")") x fls"
  [ -n "$wf" ] && echo "full scan (Wine):    $wf ms  = $(ratio "$wf" "$(calc "$fls_s * 1000")") x fls"
fi
if [ -f "$work/dll.txt" ]; then
  dq=$(sed -n 's/^quick scan: \([0-9.]*\) ms.*/\1/p' "$work/dll.txt")
  df=$(sed -n 's/^full scan: \([0-9.]*\) ms.*/\1/p' "$work/dll.txt")
  [ -n "$dq" ] && echo "quick scan (DLL):    $dq ms  = $(ratio "$dq" "$(calc "$fls_s * 1000")") x fls"
  [ -n "$df" ] && echo "full scan (DLL):     $df ms  = $(ratio "$df" "$(calc "$fls_s * 1000")") x fls"
fi
