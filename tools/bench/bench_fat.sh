#!/usr/bin/env bash
# FAT scan benchmark: builds a 1 GiB FAT32 image with thousands of files (half of them deleted),
# then times our quick and full scans natively (file reader), under Wine through the DLL's
# Win32 volume reader, and through Scavrel.dll as the front end drives it (ProcFat, progress
# polled every 1 ms), both on a drive letter backed by the image, beside `fls -r -d -p` and a
# plain sequential read (`cat`) of the same image. Warm page cache; best of three runs each.
#   tools/bench/bench_fat.sh [WORKDIR]     (default build/bench-fat; see bench_common.sh for
#                                           TOLVANE_BENCH_MB and the other settings)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=${1:-$root/build/bench-fat}
mkdir -p "$work"
. "$root/tools/bench/bench_common.sh"
bench_setup "$root" "$work"
trap bench_wine_stop EXIT
img=$(bench_fat_image)

cat "$img" >/dev/null  # into the page cache
cat_s=$(best_seconds cat "$img")
fls_s=$(best_seconds fls -r -d -p "$img")
fls_n=$(fls -r -d -p "$img" | grep -c '^r/r \*' || true)
rm -f "$bench_work/native.txt" "$bench_work/wine.txt" "$bench_work/dll.txt"
if [ "$have_native" = 1 ]; then
  "$native_bin/fat_bench" "$img" 3 > "$bench_work/native.txt"
fi
if [ "$have_wine" = 1 ]; then
  bench_drives "f=$img"
  bench_wine ./fat_bench_win32.exe '\\.\F:' 3 > "$bench_work/wine.txt" || true
  bench_wine ./dll_bench.exe scan fat '\\.\F:' 3 > "$bench_work/dll.txt" || true
fi

ms_of() {  # ms_of FILE quick|full: the time a timing program printed, or nothing
  [ -f "$1" ] && sed -n "s/^$2 scan: \([0-9.]*\) ms.*/\1/p" "$1" || true
}
echo "image: $img ($(du -h --apparent-size "$img" | cut -f1)), $fls_n deleted files listed by fls"
printf '%-40s %9s %8s %8s\n' "run" "seconds" "x cat" "x fls"
table_row() {  # table_row NAME SECONDS
  printf '%-40s %9.3f %8s %8s\n' "$1" "$2" "$(ratio "$2" "$cat_s")" "$(ratio "$2" "$fls_s")"
}
table_row "cat (sequential read)" "$cat_s"
table_row "fls -r -d -p" "$fls_s"
runs=()
[ "$have_native" = 1 ] && runs+=("native:native (file reader)")
[ "$have_wine" = 1 ] && runs+=("wine:Win32 reader, Wine, drive F:" "dll:Scavrel.dll, Wine, drive F:")
for kind in quick full; do
  for run in "${runs[@]}"; do
    ms=$(ms_of "$bench_work/${run%%:*}.txt" "$kind")
    # A run that printed no time is a broken benchmark, not a slow one.
    [ -n "$ms" ] || { echo "$kind scan, ${run#*:}: no timing"; exit 1; }
    table_row "$kind scan, ${run#*:}" "$(calc "$ms / 1000")"
  done
done
