#!/usr/bin/env bash
# Save benchmark: recovers every deleted file of the FAT32 and NTFS bench images (those of
# bench_fat.sh and bench_ntfs.sh) with our engine (scan, root ticked, whole tree saved) and with
# `tsk_recover` (The Sleuth Kit, unallocated files only) on the same image, and prints each
# beside tsk_recover with their ratio, and how many saved files hold the same bytes. Our engine
# runs natively (the portable core saving into a Linux folder) and as Scavrel.dll under Wine on
# a drive letter backed by the image (ProcFat/ProcNtfs, ClickNtfsNode, SaveDeleteFile into a
# folder on the prefix's C:, progress polled every 1 ms; timed inside the process, Wine's start
# not counted). Quick and full scans. Warm page cache; each figure is the best of REPEAT runs
# (writing a few hundred MB makes single runs noisy on a shared disk).
#   tools/bench/bench_save.sh [WORKDIR [REPEAT]]   (default build/bench-save, and REPEAT from
#                                                  TOLVANE_BENCH_REPEAT or 3; see
#                                                  bench_common.sh for TOLVANE_BENCH_MB etc.)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=${1:-$root/build/bench-save}
repeat=${2:-${TOLVANE_BENCH_REPEAT:-3}}
mkdir -p "$work"
. "$root/tools/bench/bench_common.sh"
bench_setup "$root" "$work"
trap bench_wine_stop EXIT
fat_img=$(bench_fat_image)
ntfs_img=$(bench_ntfs_image)
bench_drives "f=$fat_img" "n=$ntfs_img"

seconds() { local s e; s=$(date +%s.%N); "$@" >/dev/null 2>&1; e=$(date +%s.%N); calc "$e - $s"; }
count() { find "$1" -type f | wc -l; }
bytes() { du -sb --apparent-size "$1" | cut -f1; }

# The best of `repeat` runs of a timing program (the folder emptied before each): keeps the
# output of the run with the smallest scan + save in OUTPUT_TEXT.
best_of() {  # best_of OUT_DIR OUTPUT_TEXT COMMAND...
  local out=$1 text=$2 best="" i ms
  shift 2
  for i in $(seq "$repeat"); do
    rm -rf "$out"; mkdir -p "$out"
    "$@" > "$text.run" 2>&1 || true
    ms=$(sed -n 's/^\(scan\|save\): \([0-9.]*\) ms.*/\2/p' "$text.run" | awk '{ t += $1 } END { print t + 0 }')
    # A run that printed no timing is kept only while there is nothing better to show.
    if [ "$ms" = 0 ]; then
      [ -z "$best" ] && cp "$text.run" "$text"
      continue
    fi
    if [ -z "$best" ] || [ "$(calc "$ms < $best")" = 1.000000 ]; then
      best=$ms
      cp "$text.run" "$text"
    fi
  done
  rm -f "$text.run"
}

# One row of ours: scan+save seconds from the timing program's output, files and bytes saved;
# sets row_s. A run that printed no time is a broken benchmark, not a slow one.
row() {  # row KIND LABEL OUT_DIR OUTPUT_TEXT
  local save_ms scan_ms
  save_ms=$(sed -n 's/^save: \([0-9.]*\) ms.*/\1/p' "$4")
  scan_ms=$(sed -n 's/^scan: \([0-9.]*\) ms.*/\1/p' "$4")
  if [ -z "$save_ms" ] || [ -z "$scan_ms" ]; then
    echo "$1 $2: no timing ($(head -c 300 "$4"))"
    exit 1
  fi
  row_s=$(calc "($save_ms + $scan_ms) / 1000")
  printf '%-6s %-22s %9.3f %8d %14d   = %s x tsk_recover (scan %s ms, save %s ms)\n' \
    "$1" "$2" "$row_s" "$(count "$3")" "$(bytes "$3")" "$(ratio "$row_s" "$tsk_s")" \
    "$scan_ms" "$save_ms"
}

headline=""
printf '%-6s %-22s %9s %8s %14s\n' "image" "tool" "seconds" "files" "bytes"
for kind in fat ntfs; do
  img=$fat_img letter=F
  [ "$kind" = ntfs ] && img=$ntfs_img letter=N
  cat "$img" >/dev/null  # into the page cache
  tsk=$bench_work/$kind-tsk
  tsk_s=""
  for i in $(seq "$repeat"); do
    rm -rf "$tsk"; mkdir -p "$tsk"
    t=$(seconds tsk_recover "$img" "$tsk")
    if [ -z "$tsk_s" ] || [ "$(calc "$t < $tsk_s")" = 1.000000 ]; then tsk_s=$t; fi
  done
  printf '%-6s %-22s %9.3f %8d %14d\n' "$kind" "tsk_recover" "$tsk_s" "$(count "$tsk")" "$(bytes "$tsk")"
  runs=()
  for scan in quick full; do
    if [ "$have_native" = 1 ]; then
      ours=$bench_work/$kind-ours-$scan
      best_of "$ours" "$ours.txt" "$native_bin/save_bench" "$kind" "$img" "$ours" "$scan"
      row "$kind" "$scan scan+save" "$ours" "$ours.txt"
      runs+=("$ours")
    fi
    if [ "$have_wine" = 1 ]; then
      # The DLL saves onto the prefix's C: (a Linux folder there), as a user saves to a disk.
      dll=$bench_work/drives/prefix/drive_c/$kind-dll-$scan
      best_of "$dll" "$bench_work/$kind-dll-$scan.txt" bench_wine ./dll_bench.exe save "$kind" \
        "\\\\.\\$letter:" "C:\\$kind-dll-$scan" "$scan"
      row "$kind" "$scan DLL, drive $letter:" "$dll" "$bench_work/$kind-dll-$scan.txt"
      runs+=("$dll")
      if [ "$kind$scan" = fatquick ]; then
        headline="FAT32 save through Scavrel.dll on a drive letter (quick scan + save): $(ratio "$row_s" "$tsk_s") x tsk_recover (goal: 1 or less)"
      fi
    fi
  done
  # Same bytes? Files are named differently (tsk_recover shows a deleted short name's first
  # byte as '_', and puts entries it cannot place under $OrphanFiles): compare contents.
  sums() { (cd "$1" && find . -type f -print0 | xargs -0 -r sha256sum | cut -d' ' -f1 | sort); }
  sums "$tsk" > "$bench_work/$kind-tsk.sha"
  for out in "${runs[@]}"; do
    sums "$out" > "$out.sha"
    echo "$kind $(basename "$out"): files whose bytes tsk_recover also wrote:" \
         "$(comm -12 "$out.sha" "$bench_work/$kind-tsk.sha" | wc -l) of" \
         "$(wc -l < "$out.sha"); tsk_recover files we did not write:" \
         "$(comm -13 "$out.sha" "$bench_work/$kind-tsk.sha" | wc -l)"
  done
done
[ -n "$headline" ] && echo "$headline"
exit 0
