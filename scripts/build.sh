#!/usr/bin/env bash
# Configures (once) and builds the three trees under build/. TOLVANE_JOBS limits the parallel
# jobs (default: every core), for machines that build several checkouts at once.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=${TOLVANE_JOBS:-$(nproc)}

configure() {  # configure DIR [cmake args...]
  local dir=$1; shift
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  else
    # Modules are picked up when they appear: configure again (quick on a configured tree).
    cmake -S "$root" -B "$dir" >/dev/null
  fi
}

configure build/native -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
configure build/x86_64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-w64-mingw32.cmake"
configure build/i686 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-w64-mingw32.cmake"

for tree in native x86_64 i686; do
  echo "== building $tree"
  cmake --build "build/$tree" -j "$jobs"
done
