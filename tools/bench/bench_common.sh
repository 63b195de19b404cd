# Sourced by the bench scripts: where the timed programs come from, the bench images, runs under
# Wine on drive letters backed by those images, and the arithmetic the tables need.
#
# Environment (all optional):
#   TOLVANE_BENCH_MB       size of each bench image in MiB (default 1024; the test run's smoke
#                          runs use a few dozen)
#   TOLVANE_BENCH_IMAGES   folder of the bench images (default build/bench-images)
#   TOLVANE_BENCH_NATIVE   folder of the native bench programs; default: an optimised tree of
#                          their own (build/bench-tree, gcc, no sanitizers), built here; empty:
#                          no native runs
#   TOLVANE_BENCH_WINDOWS  folder of the x86_64 programs (default build/x86_64/bin, which
#                          scripts/build.sh makes); empty: no runs under Wine
#   TOLVANE_BENCH_DLL      another build of Scavrel.dll to time instead of the one beside them
#
#   bench_setup ROOT WORK         the above resolved; sets native_bin, win_bin, have_native,
#                                 have_wine, bench_mb, images
#   bench_fat_image               builds (once per size) the FAT32 image; prints its path
#   bench_ntfs_image              the same for the NTFS image (exit 77 when ntfs-3g cannot run)
#   bench_drives LETTER=IMAGE...  a Wine prefix of the work folder whose drives are the images
#   bench_wine EXE ARGS...        runs a Windows program of the work folder in that prefix
#   bench_wine_stop               ends the prefix's wineserver

bench_setup() {
  bench_root=$1
  bench_work=$(cd "$2" && pwd)  # Wine names files by absolute path
  export MTOOLS_SKIP_CHECK=1 PATH=$PATH:/usr/sbin:/sbin
  bench_mb=${TOLVANE_BENCH_MB:-1024}
  images=${TOLVANE_BENCH_IMAGES:-$bench_root/build/bench-images}
  mkdir -p "$images"
  images=$(cd "$images" && pwd)

  have_native=0
  if [ "${TOLVANE_BENCH_NATIVE+set}" = set ]; then
    native_bin=$TOLVANE_BENCH_NATIVE
  else
    native_bin=$bench_root/build/bench-tree/bin
    # Optimised, without the sanitizers and fuzzing coverage the native test tree carries.
    local tree=$bench_root/build/bench-tree
    if [ ! -f "$tree/build.ninja" ]; then
      cmake -S "$bench_root" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ -DTOLVANE_SANITIZE=OFF >/dev/null
    fi
    if ! cmake --build "$tree" -j "${TOLVANE_JOBS:-$(nproc)}" \
           --target fat_bench ntfs_bench save_bench > "$tree/bench-build.log" 2>&1; then
      cat "$tree/bench-build.log"
      return 1
    fi
  fi
  [ -n "$native_bin" ] && have_native=1

  have_wine=0
  win_bin=${TOLVANE_BENCH_WINDOWS-$bench_root/build/x86_64/bin}
  if [ -n "$win_bin" ]; then
    if [ ! -f "$win_bin/dll_bench.exe" ] || [ ! -x /usr/lib/wine/wine64 ]; then
      echo "(no $win_bin/dll_bench.exe or no Wine: run scripts/build.sh for the runs under Wine)"
    else
      win_tree=$(cd "$win_bin/.." && pwd)
      # The timed programs beside the DLL they load by name.
      mkdir -p "$bench_work/win"
      cp "$win_bin"/dll_bench.exe "$win_bin"/fat_bench_win32.exe "$bench_work/win/"
      cp "${TOLVANE_BENCH_DLL:-$win_bin/Scavrel.dll}" "$bench_work/win/Scavrel.dll"
      have_wine=1
    fi
  fi
}

# A lock per image: the smoke runs of several scripts build the same images at once.
bench_locked() {  # bench_locked NAME COMMAND...
  local lock=$images/$1.lock
  shift
  ( flock 9; "$@" 9>&- ) 9>"$lock"
}

bench_fat_image() {
  local img=$images/fat32_${bench_mb}m.img
  bench_locked "fat32_${bench_mb}m" bench_build_fat_image "$img" >&2
  echo "$img"
}

# Folders of 100 files (half of them deleted, and five trees of eight whole), 40 to the GiB.
# FAT32 asks for 65,525 clusters at least: 4 KiB clusters from 512 MiB, 512-byte ones below.
bench_build_fat_image() {
  local img=$1
  [ -f "$img.done" ] && return 0
  echo "== building $img"
  local folders=$(( bench_mb * 40 / 1024 )) cluster=8
  [ "$folders" -lt 8 ] && folders=8
  [ "$bench_mb" -lt 512 ] && cluster=1
  rm -f "$img"
  mkfs.fat -C -F 32 -s "$cluster" --invariant -i 5EED5EED "$img" $((bench_mb * 1024)) >/dev/null
  local src=$img.src
  rm -rf "$src"
  mkdir -p "$src"
  python3 - "$src" "$folders" "$bench_mb" <<'PY'
import os, random, sys
src, folders, mb = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
rng = random.Random(1234)
# Small volumes get small files, so that a few dozen MiB still hold every folder.
sizes = [0, 300, 4000, 20000, 100000, 250000] if mb >= 512 else [0, 300, 2000, 6000, 12000]
for d in range(folders):
    folder = os.path.join(src, f"Folder number {d:02d}")
    os.makedirs(os.path.join(folder, "SUB"))
    for f in range(100):
        size = rng.choice(sizes)
        name = f"file {f:03d} with a long name.bin" if f % 2 else f"F{f:03d}.DAT"
        target = os.path.join(folder if f < 80 else os.path.join(folder, "SUB"), name)
        with open(target, "wb") as out:
            out.write(rng.randbytes(size))
PY
  mcopy -s -i "$img" "$src"/* ::/
  # Every other file of the first folders deleted, and the last five folders' whole trees.
  local del=() d f n
  for d in $(seq 0 $((folders - 6))); do
    for f in $(seq 0 2 79); do
      del+=("$(printf '::/Folder number %02d/F%03d.DAT' "$d" "$f")")
    done
  done
  mdel -i "$img" "${del[@]}"
  for d in $(seq $((folders - 5)) $((folders - 1))); do
    mdeltree -i "$img" "::/Folder number $(printf '%02d' "$d")"
  done
  rm -rf "$src"
  touch "$img.done"
}

bench_ntfs_image() {
  local dir=$images/ntfs_${bench_mb}m
  bench_locked "ntfs_${bench_mb}m" python3 "$bench_root/tools/ntfsvol/build_ntfs_volumes.py" \
    --bench --bench-mb="$bench_mb" "$dir" >&2
  if [ -f "$dir/SKIPPED" ]; then
    echo "NTFS bench volume not built: $(cat "$dir/SKIPPED")" >&2
    exit 77
  fi
  echo "$dir/bench.img"
}

bench_drives() {
  [ "$have_wine" = 1 ] || return 0
  "$bench_root/tests/support/image_drive_prefix.sh" setup "$win_tree/wineprefix" \
    "$bench_work/drives" "$win_tree/wine-run.sh" "$@" >/dev/null
  # Wine's session starts here, out of the timed runs.
  bench_wine cmd /c exit >/dev/null
}

bench_wine() {
  (cd "$bench_work/win" && WINEDEBUG=-all TOLVANE_WINEPREFIX=$bench_work/drives/prefix \
    "$win_tree/wine-run.sh" "$@" </dev/null 2>/dev/null | tr -d '\r')
}

bench_wine_stop() {
  [ "$have_wine" = 1 ] && "$bench_root/tests/support/image_drive_prefix.sh" cleanup \
    "$win_tree/wineprefix" "$bench_work/drives" "$win_tree/wine-run.sh" || true
}


# Arithmetic on fractions through awk (no bc needed).
calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }
ratio() { awk "BEGIN { printf \"%.2f\", $1 / $2 }"; }

best_seconds() {  # best wall time of three runs of a command, in seconds
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
