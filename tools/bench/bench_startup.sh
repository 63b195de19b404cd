#!/usr/bin/env bash
# Start-up benchmark: under Wine and a private X server, the time from the process's start to
# the start window on the screen with the program's skin archives (13 built-in themes loading
# their SkinData) beside the same with the built-in look, runs interleaved, with the medians,
# the fastest runs and their differences; and, in fresh processes of their own, the time the
# 13 themes take to load the archive. On a busy machine the runs scatter by a few hundred
# milliseconds: the fastest runs and the themes' own time say more than one difference of
# medians. Not a test: run it by hand after scripts/build.sh.
#   tools/bench/bench_startup.sh [RUNS] [WORKDIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
runs=${1:-9}
work=${2:-$root/build/bench-startup}
mkdir -p "$work"
exe=$root/build/x86_64/bin/startup_bench.exe
if [ ! -f "$exe" ]; then
  echo "no $exe: run scripts/build.sh first" >&2
  exit 1
fi
. "$root/tools/bench/bench_wine.sh"
bench_root=$root
bench_work=$(cd "$work" && pwd)
mkdir -p "$bench_work/wineprefix"
if [ ! -f "$bench_work/wineprefix/system.reg" ]; then
  bench_wine_env /usr/lib/wine/wine64 wineboot -i </dev/null >/dev/null 2>&1 || true
  bench_wine_env /usr/lib/wine/wineserver64 -w </dev/null >/dev/null 2>&1 || true
fi
bench_wine_env /usr/lib/wine/wineserver64 -p30 </dev/null >/dev/null 2>&1 || true
bench_wine_env /usr/lib/wine/wine64 cmd /c exit </dev/null >/dev/null 2>&1 || true

exec 3< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
xvfb_pid=$!
read -r display <&3
trap 'kill $xvfb_pid 2>/dev/null || true; bench_wine_env /usr/lib/wine/wineserver64 -k 2>/dev/null || true' EXIT

results=$bench_work/runs.txt
: > "$results"
cd "$root/build/x86_64/bin"
# One unmeasured start of each kind warms the file cache and the server.
for mode in skin builtin; do
  DISPLAY=:$display bench_wine_env /usr/lib/wine/wine64 ./startup_bench.exe $mode >/dev/null 2>&1 || true
done
for i in $(seq "$runs"); do
  for mode in skin builtin themes; do
    DISPLAY=:$display bench_wine_env /usr/lib/wine/wine64 ./startup_bench.exe $mode | tr -d '\r' \
      | tee -a "$results"
  done
done
DISPLAY=:$display bench_wine_env /usr/lib/wine/wine64 ./startup_bench.exe alternate | tr -d '\r' \
  | tee -a "$results"
python3 - "$results" <<'PY'
import statistics, sys
rows = [l.split() for l in open(sys.argv[1]) if l.strip()]
def values(mode, col):
    return [float(r[col]) for r in rows if r[0] == mode]
for title, pick in (("medians", statistics.median), ("fastest runs", min)):
    print("== %s over %d runs each (ms)" % (title, len(values("skin", 1))))
    print("%-20s %18s %18s %18s" % ("", "start to shown", "making windows", "showing"))
    for mode, label in (("skin", "with the archives"), ("builtin", "built-in look")):
        print("%-20s %18.1f %18.1f %18.1f" % ((label,) + tuple(pick(values(mode, c)) for c in (1, 2, 3))))
    print("%-20s %18.1f %18.1f %18.1f" % (("archives cost",) + tuple(
        pick(values("skin", c)) - pick(values("builtin", c)) for c in (1, 2, 3))))
a = [r for r in rows if r[0] == "alternate"][0]
print("== making the nine windows in one process, fastest of 8 each: built-in %s ms, skin %s ms"
      " (archives cost %.1f ms)" % (a[1], a[2], float(a[2]) - float(a[1])))
t = values("themes", 1)
print("== 13 themes loading the archive in a fresh process: median %.1f ms, fastest %.1f ms"
      % (statistics.median(t), min(t)))
PY
