#!/usr/bin/env bash
# Save benchmark: recovers every deleted file of the 1 GiB FAT32 and NTFS bench images (built
# by bench_fat.sh and by the NTFS volume builder, as bench_ntfs.sh does) with our engine (quick
# scan, root ticked, whole tree saved into a Linux folder) and with `tsk_recover` (The Sleuth
# Kit, unallocated files only) on the same image, and prints both, their ratio, and how many
# saved files hold the same bytes. Quick and full scans. Warm page cache, one run each. Not part
# of scripts/test.sh.
#   tools/bench/bench_save.sh [WORKDIR]      (default build/bench-save)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=${1:-$root/build/bench-save}
mkdir -p "$work"

fat_img=$root/build/bench-fat/fat32_1g.img
if [ ! -f "$root/build/bench-fat/image.done" ]; then
  echo "== building the FAT32 bench image (bench_fat.sh)"
  "$root/tools/bench/bench_fat.sh" "$root/build/bench-fat" >/dev/null
fi
python3 "$root/tools/ntfsvol/build_ntfs_volumes.py" --bench "$root/build/bench-ntfs/volumes"
if [ -f "$root/build/bench-ntfs/volumes/SKIPPED" ]; then
  echo "NTFS bench volume not built: $(cat "$root/build/bench-ntfs/volumes/SKIPPED")"; exit 1
fi
ntfs_img=$root/build/bench-ntfs/volumes/bench.img

echo "== building the save driver"
srcs=()
for f in "$root"/engine/*.cpp; do srcs+=("$f"); done
clang++ -O2 -std=c++20 -I"$root" "$root/tools/bench/save_bench.cpp" "${srcs[@]}" \
  -o "$work/save_bench" -lpthread

calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }
seconds() { local s e; s=$(date +%s.%N); "$@" >/dev/null 2>&1; e=$(date +%s.%N); calc "$e - $s"; }
count() { find "$1" -type f | wc -l; }
bytes() { du -sb --apparent-size "$1" | cut -f1; }

printf '%-6s %-16s %9s %8s %14s\n' "image" "tool" "seconds" "files" "bytes"
for kind in fat ntfs; do
  img=$fat_img
  [ "$kind" = ntfs ] && img=$ntfs_img
  cat "$img" >/dev/null  # into the page cache
  tsk=$work/$kind-tsk
  rm -rf "$tsk"; mkdir -p "$tsk"
  tsk_s=$(seconds tsk_recover "$img" "$tsk")
  for scan in quick full; do
    ours=$work/$kind-ours-$scan
    rm -rf "$ours"; mkdir -p "$ours"
    "$work/save_bench" "$kind" "$img" "$ours" "$scan" > "$ours.txt"
    save_ms=$(sed -n 's/^save: \([0-9.]*\) ms.*/\1/p' "$ours.txt")
    scan_ms=$(sed -n 's/^scan: \([0-9.]*\) ms.*/\1/p' "$ours.txt")
    ours_s=$(calc "($save_ms + $scan_ms) / 1000")
    printf '%-6s %-16s %9.3f %8d %14d   = %.2f x tsk_recover (scan %s ms, save %s ms)\n' \
      "$kind" "$scan scan+save" "$ours_s" "$(count "$ours")" "$(bytes "$ours")" \
      "$(calc "$ours_s / $tsk_s")" "$scan_ms" "$save_ms"
  done
  printf '%-6s %-16s %9.3f %8d %14d\n' "$kind" "tsk_recover" "$tsk_s" "$(count "$tsk")" "$(bytes "$tsk")"
  # Same bytes? Files are named differently (tsk_recover shows a deleted short name's first
  # byte as '_', and puts entries it cannot place under $OrphanFiles): compare contents.
  sums() { (cd "$1" && find . -type f -print0 | xargs -0 -r sha256sum | cut -d' ' -f1 | sort); }
  sums "$tsk" > "$work/$kind-tsk.sha"
  for scan in quick full; do
    sums "$work/$kind-ours-$scan" > "$work/$kind-ours-$scan.sha"
    echo "$kind $scan: files whose bytes tsk_recover also wrote:" \
         "$(comm -12 "$work/$kind-ours-$scan.sha" "$work/$kind-tsk.sha" | wc -l) of" \
         "$(wc -l < "$work/$kind-ours-$scan.sha"); tsk_recover files we did not write:" \
         "$(comm -13 "$work/$kind-ours-$scan.sha" "$work/$kind-tsk.sha" | wc -l)"
  done
done
