# Sourced by the bench scripts: runs Windows programs under Wine 64-bit in a private prefix of
# the bench's work folder, and builds dll_bench.exe beside a copy of the Scavrel.dll that
# scripts/build.sh made (or the one TOLVANE_BENCH_DLL names, to time another build).
#   bench_wine_setup ROOT WORK    sets have_dll=1 when $WORK/dll_bench.exe and the DLL are there
#   bench_wine EXE ARGS...        runs it in $WORK (output with LF line ends)
#   bench_wine_path UNIX_PATH     the path as Wine's Z: drive names it
#   bench_wine_stop               ends the prefix's wineserver

bench_wine_setup() {
  bench_root=$1
  bench_work=$(cd "$2" && pwd)
  have_dll=0
  command -v x86_64-w64-mingw32-g++-posix >/dev/null || return 0
  [ -x /usr/lib/wine/wine64 ] || return 0
  local dll=${TOLVANE_BENCH_DLL:-$bench_root/build/x86_64/bin/Scavrel.dll}
  if [ ! -f "$dll" ]; then
    echo "(no $dll: run scripts/build.sh for the runs through the DLL)"
    return 0
  fi
  cp "$dll" "$bench_work/"
  x86_64-w64-mingw32-g++-posix -O2 -std=c++20 -static -DWIN32_LEAN_AND_MEAN -DNOMINMAX \
    "$bench_root/tools/bench/dll_bench.cpp" -o "$bench_work/dll_bench.exe" || return 0
  have_dll=1
  # The prefix is made here (6-11 s, once); a server started here, with its stdio on
  # /dev/null, keeps later starts quick and out of the timed programs.
  mkdir -p "$bench_work/wineprefix"
  if [ ! -f "$bench_work/wineprefix/system.reg" ]; then
    bench_wine_env /usr/lib/wine/wine64 wineboot -i </dev/null >/dev/null 2>&1 || true
    bench_wine_env /usr/lib/wine/wineserver64 -w </dev/null >/dev/null 2>&1 || true
  fi
  bench_wine_env /usr/lib/wine/wineserver64 -p30 </dev/null >/dev/null 2>&1 || true
  bench_wine_env /usr/lib/wine/wine64 cmd /c exit </dev/null >/dev/null 2>&1 || true
}

bench_wine_env() {
  WINEPREFIX=$bench_work/wineprefix WINEARCH=win64 WINEDEBUG=-all \
    WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" \
    WINESERVER=/usr/lib/wine/wineserver64 "$@"
}

bench_wine() {
  (cd "$bench_work" && bench_wine_env /usr/lib/wine/wine64 "$@" </dev/null 2>/dev/null | tr -d '\r')
}

bench_wine_path() { echo "Z:$1" | tr / '\\'; }

bench_wine_stop() {
  [ -n "${bench_work:-}" ] && bench_wine_env /usr/lib/wine/wineserver64 -k 2>/dev/null || true
}
