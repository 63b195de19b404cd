#!/usr/bin/env bash
# Save benchmark: recovers every deleted file of the FAT32 and NTFS bench images (those of
# bench_fat.sh and bench_ntfs.sh) with our engine (scan, root ticked, whole tree saved) and with
# `tsk_recover` (The Sleuth Kit, unallocated files only) on the same image, and prints each
# beside tsk_recover with their ratio, and how many saved files hold the same bytes. Our engine
# runs natively (the portable core saving into a Linux folder) and as Scavrel.dll under Wine on
# a drive letter backed by the image (ProcFat/ProcNtfs, ClickNtfsNode, SaveDeleteFile into a
# folder on the prefix's C:, progress polled every 1 ms; timed inside the process, Wine's start
# not counted). Quick and full scans. Then, as a floor, the quick save's output made again
# through the same Win32 calls from memory (dll_bench rewrite): what the system alone costs for
# those files and folders. Warm page cache; each figure is the best of REPEAT runs (writing a
# few hundred MB makes single runs noisy on a shared disk).
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
# Earlier runs' output is moved aside, not deleted, until the end: this disk's ext4 (no
# journal) passes over every inode freed in the last half minute when it allocates one, and
# thousands of files deleted just before a timed run made its every create pay for them
# (half the wine server's time in the allocator's recently_deleted), whichever tool ran.
trash=$bench_work/trash
rm -rf "$trash"
mkdir -p "$trash"
put_aside() {  # put_aside DIR: DIR is gone, its files kept until the end
  [ -e "$1" ] && mv "$1" "$(mktemp -d "$trash/run.XXXXXX")/" || true
}
trap 'bench_wine_stop; rm -rf "$trash"' EXIT
fat_img=$(bench_fat_image)
ntfs_img=$(bench_ntfs_image)
bench_drives "f=$fat_img" "n=$ntfs_img"

seconds() { local s e; s=$(date +%s.%N); "$@" >/dev/null 2>&1; e=$(date +%s.%N); calc "$e - $s"; }
count() { find "$1" -type f | wc -l; }
bytes() { du -sb --apparent-size "$1" | cut -f1; }

# One run of a timing program into its emptied folder; keeps its output in OUTPUT_TEXT when
# its scan + save is the smallest yet (best_ms[OUTPUT_TEXT]). The caller runs each program
# once per round, all of them in turn, so every best comes from the same stretch of a shared
# machine's load as the peer's it is divided by.
declare -A best_ms
timed_run() {  # timed_run OUT_DIR OUTPUT_TEXT COMMAND...
  local out=$1 text=$2 ms best
  shift 2
  put_aside "$out"; mkdir -p "$out"
  "$@" > "$text.run" 2>&1 || true
  ms=$(sed -n 's/^\(scan\|save\|rewrite\): \([0-9.]*\) ms.*/\2/p' "$text.run" | awk '{ t += $1 } END { print t + 0 }')
  best=${best_ms[$text]:-}
  # A run that printed no timing is kept only while there is nothing better to show.
  if [ "$ms" = 0 ]; then
    [ -z "$best" ] && cp "$text.run" "$text"
  elif [ -z "$best" ] || [ "$(calc "$ms < $best")" = 1.000000 ]; then
    best_ms[$text]=$ms
    cp "$text.run" "$text"
  fi
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
  # The quick save's own files and folders made again through the same Win32 calls
  # (CreateDirectoryW, CreateFileW, WriteFile, CloseHandle) from memory, without the volume or
  # the engine: the floor under Wine. What the save spends above it is ours; the rest is the
  # system's.
  again=$bench_work/drives/prefix/drive_c/$kind-rewrite
  for i in $(seq "$repeat"); do
    put_aside "$tsk"; mkdir -p "$tsk"
    t=$(seconds tsk_recover "$img" "$tsk")
    if [ -z "$tsk_s" ] || [ "$(calc "$t < $tsk_s")" = 1.000000 ]; then tsk_s=$t; fi
    for scan in quick full; do
      if [ "$have_native" = 1 ]; then
        ours=$bench_work/$kind-ours-$scan
        timed_run "$ours" "$ours.txt" "$native_bin/save_bench" "$kind" "$img" "$ours" "$scan"
      fi
      if [ "$have_wine" = 1 ]; then
        # The DLL saves onto the prefix's C: (a Linux folder there), as a user saves to a disk.
        timed_run "$bench_work/drives/prefix/drive_c/$kind-dll-$scan" \
          "$bench_work/$kind-dll-$scan.txt" bench_wine ./dll_bench.exe save "$kind" \
          "\\\\.\\$letter:" "C:\\$kind-dll-$scan" "$scan"
      fi
    done
    if [ "$have_wine" = 1 ]; then
      timed_run "$again" "$bench_work/$kind-rewrite.txt" bench_wine ./dll_bench.exe rewrite \
        "C:\\$kind-dll-quick" "C:\\$kind-rewrite"
    fi
  done
  printf '%-6s %-22s %9.3f %8d %14d\n' "$kind" "tsk_recover" "$tsk_s" "$(count "$tsk")" "$(bytes "$tsk")"
  runs=()
  for scan in quick full; do
    if [ "$have_native" = 1 ]; then
      ours=$bench_work/$kind-ours-$scan
      row "$kind" "$scan scan+save" "$ours" "$ours.txt"
      runs+=("$ours")
    fi
    if [ "$have_wine" = 1 ]; then
      dll=$bench_work/drives/prefix/drive_c/$kind-dll-$scan
      row "$kind" "$scan DLL, drive $letter:" "$dll" "$bench_work/$kind-dll-$scan.txt"
      runs+=("$dll")
      if [ "$kind$scan" = fatquick ]; then
        headline="FAT32 save through Scavrel.dll on a drive letter (quick scan + save): $(ratio "$row_s" "$tsk_s") x tsk_recover (goal: 1 or less)"
      fi
    fi
  done
  if [ "$have_wine" = 1 ]; then
    ms=${best_ms[$bench_work/$kind-rewrite.txt]:-}
    if [ -n "$ms" ]; then
      s=$(calc "$ms / 1000")
      printf '%-6s %-22s %9.3f %8d %14d   = %s x tsk_recover (the Win32 calls alone)\n' \
        "$kind" "rewrite of quick DLL" "$s" "$(count "$again")" "$(bytes "$again")" \
        "$(ratio "$s" "$tsk_s")"
    else
      echo "$kind rewrite: no timing ($(head -c 300 "$bench_work/$kind-rewrite.txt"))"
    fi
    put_aside "$again"
  fi
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
