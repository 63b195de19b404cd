#!/usr/bin/env bash
# Save benchmark: recovers every deleted file of the 1 GiB FAT32 and NTFS bench images (built
# by bench_fat.sh and by the NTFS volume builder, as bench_ntfs.sh does) with our engine (scan,
# root ticked, whole tree saved) and with `tsk_recover` (The Sleuth Kit, unallocated files
# only) on the same image, and prints each beside tsk_recover with their ratio, and how many
# saved files hold the same bytes. Our engine runs twice: natively (the portable core saving
# into a Linux folder) and as Scavrel.dll under Wine (ProcFat/ProcNtfs, ClickNtfsNode,
# SaveDeleteFile into a folder on the prefix's C:, progress polled every 1 ms; timed inside
# the process, Wine's start not counted). Quick and full scans. Warm page cache; each figure is
# the best of REPEAT runs (writing a few hundred MB makes single runs noisy on a shared disk).
# Not part of scripts/test.sh.
#   tools/bench/bench_save.sh [WORKDIR [REPEAT]]      (default build/bench-save, 3)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=${1:-$root/build/bench-save}
repeat=${2:-3}
mkdir -p "$work"
work=$(cd "$work" && pwd)  # Wine names files by absolute path

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

. "$root/tools/bench/bench_wine.sh"
bench_wine_setup "$root" "$work"

calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }
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

# One row of ours: scan+save seconds from the timing program's output, files and bytes saved.
row() {  # row KIND LABEL OUT_DIR OUTPUT_TEXT
  local save_ms scan_ms ours_s
  save_ms=$(sed -n 's/^save: \([0-9.]*\) ms.*/\1/p' "$4")
  scan_ms=$(sed -n 's/^scan: \([0-9.]*\) ms.*/\1/p' "$4")
  if [ -z "$save_ms" ] || [ -z "$scan_ms" ]; then
    echo "$1 $2: no timing ($(head -c 200 "$4"))"
    return 0
  fi
  ours_s=$(calc "($save_ms + $scan_ms) / 1000")
  printf '%-6s %-16s %9.3f %8d %14d   = %.2f x tsk_recover (scan %s ms, save %s ms)\n' \
    "$1" "$2" "$ours_s" "$(count "$3")" "$(bytes "$3")" "$(calc "$ours_s / $tsk_s")" \
    "$scan_ms" "$save_ms"
}

printf '%-6s %-16s %9s %8s %14s\n' "image" "tool" "seconds" "files" "bytes"
for kind in fat ntfs; do
  img=$fat_img
  [ "$kind" = ntfs ] && img=$ntfs_img
  cat "$img" >/dev/null  # into the page cache
  tsk=$work/$kind-tsk
  tsk_s=""
  for i in $(seq "$repeat"); do
    rm -rf "$tsk"; mkdir -p "$tsk"
    t=$(seconds tsk_recover "$img" "$tsk")
    if [ -z "$tsk_s" ] || [ "$(calc "$t < $tsk_s")" = 1.000000 ]; then tsk_s=$t; fi
  done
  for scan in quick full; do
    ours=$work/$kind-ours-$scan
    best_of "$ours" "$ours.txt" "$work/save_bench" "$kind" "$img" "$ours" "$scan"
    row "$kind" "$scan scan+save" "$ours" "$ours.txt"
    if [ "$have_dll" = 1 ]; then
      # The DLL saves onto the prefix's C: (a Linux folder there), as a user saves to a disk.
      dll=$work/wineprefix/drive_c/$kind-dll-$scan
      best_of "$dll" "$dll.txt" bench_wine ./dll_bench.exe save "$kind" \
        "$(bench_wine_path "$img")" "C:\\$kind-dll-$scan" "$scan"
      row "$kind" "$scan DLL (Wine)" "$dll" "$dll.txt"
    fi
  done
  printf '%-6s %-16s %9.3f %8d %14d\n' "$kind" "tsk_recover" "$tsk_s" "$(count "$tsk")" "$(bytes "$tsk")"
  # Same bytes? Files are named differently (tsk_recover shows a deleted short name's first
  # byte as '_', and puts entries it cannot place under $OrphanFiles): compare contents.
  sums() { (cd "$1" && find . -type f -print0 | xargs -0 -r sha256sum | cut -d' ' -f1 | sort); }
  sums "$tsk" > "$work/$kind-tsk.sha"
  for run in ours-quick ours-full dll-quick dll-full; do
    out=$work/$kind-$run
    [ "${run#dll}" != "$run" ] && out=$work/wineprefix/drive_c/$kind-$run
    [ -d "$out" ] || continue
    sums "$out" > "$work/$kind-$run.sha"
    echo "$kind $run: files whose bytes tsk_recover also wrote:" \
         "$(comm -12 "$work/$kind-$run.sha" "$work/$kind-tsk.sha" | wc -l) of" \
         "$(wc -l < "$work/$kind-$run.sha"); tsk_recover files we did not write:" \
         "$(comm -13 "$work/$kind-$run.sha" "$work/$kind-tsk.sha" | wc -l)"
  done
done
bench_wine_stop
