#!/usr/bin/env bash
# Times the NTFS scan (quick and full) on a 1 GiB volume with thousands of deleted files,
# natively and through Scavrel.dll under Wine (ProcNtfs, GetProgress polled every 1 ms; timed
# inside the process, so Wine's start is not counted), beside ntfsundelete -s, fls -r -d -p and
# plain sequential reads of the same image (cat, dd), and prints each as a ratio to cat. Warm
# page cache; best of three runs each. Not part of scripts/test.sh.
#   tools/bench/bench_ntfs.sh [WORK_DIR]      (default build/bench-ntfs)
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
work=${1:-$root/build/bench-ntfs}
mkdir -p "$work"
work=$(cd "$work" && pwd)  # Wine names files by absolute path

python3 tools/ntfsvol/build_ntfs_volumes.py --bench "$work/volumes"
if [ -f "$work/volumes/SKIPPED" ]; then
  echo "bench volume not built: $(cat "$work/volumes/SKIPPED")"; exit 1
fi
image=$work/volumes/bench.img

# The scanner optimised, without sanitizers or fuzzing coverage (gcc: the clang native tree
# instruments everything for libFuzzer).
if [ ! -f "$work/tree/build.ninja" ]; then
  cmake -S "$root" -B "$work/tree" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ -DTOLVANE_SANITIZE=OFF >/dev/null
fi
cmake --build "$work/tree" --target ntfs_bench >/dev/null
bench=$work/tree/bin/ntfs_bench

best() {  # best wall time of three runs of a command, in seconds
  python3 - "$@" <<'PY'
import subprocess, sys, time
best = None
for _ in range(3):
    start = time.perf_counter()
    subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    t = time.perf_counter() - start
    best = t if best is None or t < best else best
print("%.6f" % best)
PY
}

cat "$image" >/dev/null  # into the page cache
cat_s=$(best cat "$image")
read_s=$(best dd if="$image" of=/dev/null bs=1M)
quick_s=$(best "$bench" "$image")
full_s=$(best "$bench" "$image" --full)
undelete_s=$(best ntfsundelete -s "$image")
fls_s=$(best fls -r -d -p "$image")

. "$root/tools/bench/bench_wine.sh"
bench_wine_setup "$root" "$work"
if [ "$have_dll" = 1 ]; then
  bench_wine ./dll_bench.exe scan ntfs "$(bench_wine_path "$image")" 3 > "$work/dll.txt" || true
  bench_wine_stop
fi
dll_seconds() {  # the DLL's time of one scan kind, in seconds, or nothing
  [ -f "$work/dll.txt" ] || return 0
  sed -n "s/^$1 scan: \([0-9.]*\) ms.*/\1/p" "$work/dll.txt" | awk '{ printf "%.6f", $1 / 1000 }'
}
dll_quick_s=$(dll_seconds quick)
dll_full_s=$(dll_seconds full)

echo "image: $image ($(du -h --apparent-size "$image" | cut -f1)),"\
     "$(grep -c $'^deleted\t' "$image.tsv") deleted files in the manifest"
"$bench" "$image" | head -1 | sed 's/^/quick scan: /'
"$bench" "$image" --full | head -1 | sed 's/^/full scan:  /'
printf '%-26s %9s %9s\n' "run" "seconds" "x cat"
rows=("cat (sequential read):$cat_s" "dd bs=1M:$read_s" "quick scan (native):$quick_s"
      "full scan (native):$full_s")
[ -n "$dll_quick_s" ] && rows+=("quick scan (DLL, Wine):$dll_quick_s")
[ -n "$dll_full_s" ] && rows+=("full scan (DLL, Wine):$dll_full_s")
rows+=("ntfsundelete -s:$undelete_s" "fls -r -d -p:$fls_s")
for row in "${rows[@]}"; do
  name=${row%%:*}; s=${row##*:}
  printf '%-26s %9.3f %9.2f\n' "$name" "$s" "$(python3 -c "print($s / $cat_s)")"
done
