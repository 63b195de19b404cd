#!/usr/bin/env bash
# Times the NTFS scan (quick and full) on a 1 GiB volume with thousands of deleted files,
# natively and through Scavrel.dll under Wine on a drive letter backed by the image, the way
# the program reads a volume (ProcNtfs, GetProgress polled every 1 ms; timed inside the
# process, so Wine's start is not counted), beside ntfsundelete -s, fls -r -d -p and plain
# sequential reads of the same image (cat, dd), and prints each as a ratio to cat. Warm page
# cache; best of three runs each.
#   tools/bench/bench_ntfs.sh [WORKDIR]    (default build/bench-ntfs; see bench_common.sh for
#                                           TOLVANE_BENCH_MB and the other settings)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=${1:-$root/build/bench-ntfs}
mkdir -p "$work"
. "$root/tools/bench/bench_common.sh"
bench_setup "$root" "$work"
trap bench_wine_stop EXIT
image=$(bench_ntfs_image)

cat "$image" >/dev/null  # into the page cache
cat_s=$(best_seconds cat "$image")
dd_s=$(best_seconds dd if="$image" of=/dev/null bs=1M)
undelete_s=$(best_seconds ntfsundelete -s "$image")
fls_s=$(best_seconds fls -r -d -p "$image")
rows=("cat (sequential read)|$cat_s" "dd bs=1M|$dd_s")
if [ "$have_native" = 1 ]; then
  rows+=("quick scan (native)|$(best_seconds "$native_bin/ntfs_bench" "$image")"
         "full scan (native)|$(best_seconds "$native_bin/ntfs_bench" "$image" --full)")
fi
dll_full_s=""
if [ "$have_wine" = 1 ]; then
  bench_drives "n=$image"
  bench_wine ./dll_bench.exe scan ntfs '\\.\N:' 3 > "$bench_work/dll.txt" || true
  for kind in quick full; do
    ms=$(sed -n "s/^$kind scan: \([0-9.]*\) ms.*/\1/p" "$bench_work/dll.txt")
    # A run that printed no time is a broken benchmark, not a slow one.
    [ -n "$ms" ] || { echo "$kind scan through the DLL: no timing ($(head -c 300 "$bench_work/dll.txt"))"; exit 1; }
    rows+=("$kind scan (DLL, Wine, drive N:)|$(calc "$ms / 1000")")
    [ "$kind" = full ] && dll_full_s=$(calc "$ms / 1000")
  done
fi
rows+=("ntfsundelete -s|$undelete_s" "fls -r -d -p|$fls_s")

echo "image: $image ($(du -h --apparent-size "$image" | cut -f1)),"\
     "$(grep -c $'^deleted\t' "$image.tsv") deleted files in the manifest"
if [ "$have_native" = 1 ]; then
  "$native_bin/ntfs_bench" "$image" > "$bench_work/native.txt"
  sed -n '1s/^/quick scan: /p' "$bench_work/native.txt"
  "$native_bin/ntfs_bench" "$image" --full > "$bench_work/native.txt"
  sed -n '1s/^/full scan:  /p' "$bench_work/native.txt"
fi
printf '%-40s %9s %8s\n' "run" "seconds" "x cat"
for row in "${rows[@]}"; do
  printf '%-40s %9.3f %8s\n' "${row%%|*}" "${row##*|}" "$(ratio "${row##*|}" "$cat_s")"
done
if [ -n "$dll_full_s" ]; then
  echo "NTFS full scan through Scavrel.dll on a drive letter: $(ratio "$dll_full_s" "$cat_s") x cat (goal: 2 or less)"
fi
