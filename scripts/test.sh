#!/usr/bin/env bash
# The one test command: builds the three trees and runs every test — native with sanitizers
# (and short fuzz runs), x86_64 under Wine (GUI tests under a private Xvfb), the i686 checks —
# in one ctest run that ends with its summary.
#   scripts/test.sh [--fuzz-seconds N] [ctest args...]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

fuzz_seconds=""
if [ "${1:-}" = "--fuzz-seconds" ]; then
  fuzz_seconds=$2; shift 2
fi

scripts/build.sh
# The fuzz time is set on every run, so that a long run asked for once does not stay.
cmake -S "$root" -B build/native -DTOLVANE_FUZZ_SECONDS="${fuzz_seconds:-10}" >/dev/null

# One ctest run over the three trees.
cat > build/CTestTestfile.cmake <<CTEST
subdirs("native")
subdirs("i686")
subdirs("x86_64")
CTEST

wine_tree=$root/build/x86_64
wineserver=/usr/lib/wine/wineserver64

# Window tests run in lanes, a few at a time: each lane is an X display and a copy of the Wine
# prefix with a wineserver of its own, since focus, capture and the pointer belong to a whole
# display and a whole server. ctest hands each window test a free lane (the resource file
# below; cmake/wine-run.sh.in picks the lane's display and prefix). Three lanes, fewer when
# ctest runs fewer than six tests at once, so that the other tests keep cores of their own;
# TOLVANE_GUI_LANES sets the number.
jobs=${TOLVANE_JOBS:-$(nproc)}
lanes=$(( jobs / 2 > 3 ? 3 : jobs / 2 ))
lanes=${TOLVANE_GUI_LANES:-$lanes}
case $lanes in ''|*[!0-9]*) echo "TOLVANE_GUI_LANES must be a number" >&2; exit 2 ;; esac
[ "$lanes" -ge 1 ] || lanes=1
lanes_dir=$wine_tree/lanes

stop_lane_servers() {
  local prefix
  for prefix in "$lanes_dir"/*/wineprefix; do
    [ -d "$prefix" ] && WINEPREFIX=$prefix $wineserver -k 2>/dev/null || true
  done
}

# X servers on free displays, killed on exit: one for the tests that open no window of their
# own, one per lane.
xvfb_pids=()
cleanup() {
  local pid
  for pid in "${xvfb_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  WINEPREFIX="$wine_tree/wineprefix" $wineserver -k 2>/dev/null || true
  stop_lane_servers
}
trap cleanup EXIT
start_xvfb() {  # sets $display to the new server's number
  local fifo
  fifo=$(mktemp -u); mkfifo "$fifo"
  Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$fifo" >/dev/null 2>&1 &
  xvfb_pids+=($!)
  read -r display < "$fifo"
  rm -f "$fifo"
}
have_x=0
if command -v Xvfb >/dev/null; then
  have_x=1
  start_xvfb
  export DISPLAY=":$display"
fi

# Start the Wine session before ctest, so that no test is the one that pays for it, with a
# server that stays for the whole run: a server that quits after an idle minute (while the
# native tests and volume builders run) can do so just as a test connects, and that test fails
# at once.
"$wine_tree/wine-run.sh" cmd /c exit </dev/null >/dev/null 2>&1 || true
WINEPREFIX="$wine_tree/wineprefix" $wineserver -k 2>/dev/null || true
WINEPREFIX="$wine_tree/wineprefix" $wineserver -w 2>/dev/null || true

# The lanes' prefixes: hard-linked copies of the tree's prefix, made while its server is down,
# with real copies of the registry files, which Wine rewrites.
stop_lane_servers
rm -rf "$lanes_dir"
lane_ids=()
if [ "$have_x" = 1 ]; then
  for n in $(seq 1 "$lanes"); do
    lane=lane$n
    lane_ids+=("$lane")
    mkdir -p "$lanes_dir/$lane"
    cp -al "$wine_tree/wineprefix" "$lanes_dir/$lane/wineprefix"
    for file in system.reg user.reg userdef.reg; do
      rm -f "$lanes_dir/$lane/wineprefix/$file"
      cp "$wine_tree/wineprefix/$file" "$lanes_dir/$lane/wineprefix/$file"
    done
    start_xvfb
    echo ":$display" > "$lanes_dir/$lane/display"
  done
fi

WINEPREFIX="$wine_tree/wineprefix" $wineserver -p </dev/null >/dev/null 2>&1
"$wine_tree/wine-run.sh" cmd /c exit </dev/null >/dev/null 2>&1 || true
# Each lane's session the same way, on the lane's display (Wine's desktop process, started
# with the session, draws on the display it was started with), all lanes at once.
starts=()
for lane in "${lane_ids[@]}"; do
  (
    prefix=$lanes_dir/$lane/wineprefix
    WINEPREFIX=$prefix $wineserver -p
    DISPLAY=$(cat "$lanes_dir/$lane/display") TOLVANE_WINEPREFIX=$prefix \
      "$wine_tree/wine-run.sh" cmd /c exit || true
  ) </dev/null >/dev/null 2>&1 &
  starts+=($!)
done
for pid in "${starts[@]}"; do wait "$pid"; done

# ctest's resource file: the lanes, one window test in each at a time. Without lanes (no Xvfb)
# the tree's own file applies: one lane, the caller's display.
resources=()
if [ "${#lane_ids[@]}" -gt 0 ]; then
  {
    printf '{"version": {"major": 1, "minor": 0},\n "local": [{"gui_lanes": ['
    sep=""
    for lane in "${lane_ids[@]}"; do
      printf '%s{"id": "%s", "slots": 1}' "$sep" "$lane"; sep=", "
    done
    printf ']}]}\n'
  } > "$lanes_dir/resources.json"
  resources=(--resource-spec-file "$lanes_dir/resources.json")
fi

# The window tests' deadlines are what a quiet machine needs; they stretch by this factor (and
# by the load the machine carries, tests/support/WindowRobot.h): this run's own tests load it.
export TOLVANE_WAIT_FACTOR="${TOLVANE_WAIT_FACTOR:-2}"

# A test that fails is run once more before it counts as failed: on a loaded machine a Wine
# process now and then dies at start-up (in a few hundredths of a second, before the test's
# own code runs). A real failure fails twice.
ctest --test-dir build -j "$jobs" "${resources[@]}" --output-on-failure --repeat until-pass:2 \
  "$@"
