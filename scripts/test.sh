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
i686_tree=$root/build/i686
wineserver=/usr/lib/wine/wineserver64

# Window tests run in lanes, a few at a time: each lane is an X display and a copy of the Wine
# prefix with a wineserver of its own, since focus, capture and the pointer belong to a whole
# display and a whole server. ctest hands each window test a free lane (the resource file
# below; cmake/wine-run.sh.in picks the lane's display and prefix). A lane's display serves
# one window test at a time, of either Windows tree: each tree has its own copy of its own
# prefix in the lane (build/<tree>/lanes/<lane>/). Three lanes, fewer when ctest runs fewer
# than six tests at once, so that the other tests keep cores of their own; TOLVANE_GUI_LANES
# sets the number.
jobs=${TOLVANE_JOBS:-$(nproc)}
lanes=$(( jobs / 2 > 3 ? 3 : jobs / 2 ))
lanes=${TOLVANE_GUI_LANES:-$lanes}
case $lanes in ''|*[!0-9]*) echo "TOLVANE_GUI_LANES must be a number" >&2; exit 2 ;; esac
[ "$lanes" -ge 1 ] || lanes=1
lanes_dir=$wine_tree/lanes

stop_servers() {  # stop_servers TREE...: each tree's prefix and its lanes' copies
  local tree prefix
  for tree in "$@"; do
    for prefix in "$tree/wineprefix" "$tree"/lanes/*/wineprefix; do
      [ -d "$prefix" ] && WINEPREFIX=$prefix $wineserver -k 2>/dev/null || true
    done
  done
}

# X servers on free displays, killed on exit: one for the tests that open no window of their
# own, one per lane.
xvfb_pids=()
cleanup() {
  local pid
  for pid in "${xvfb_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  stop_servers "$wine_tree" "$i686_tree"
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

# The i686 tree runs under the 32-bit loader. A machine that cannot start 32-bit programs runs
# none of its tests: each one reports skipped with the reason (cmake/wine-run.sh.in), and the
# summary below says so once.
# Start each tree's Wine session before ctest, so that no test is the one that pays for it,
# with a server that stays for the whole run: a server that quits after an idle minute (while
# the native tests and volume builders run) can do so just as a test connects, and that test
# fails at once. The first run makes a tree's prefix when it is missing (both at once).
trees=("$wine_tree")
i686_said=$(mktemp)
"$i686_tree/wine-run.sh" cmd /c exit </dev/null >"$i686_said" 2>/dev/null &
i686_start=$!
"$wine_tree/wine-run.sh" cmd /c exit </dev/null >/dev/null 2>&1 || true
started=0
wait "$i686_start" || started=$?
i686_skipped=""
if [ "$started" = 77 ]; then
  i686_skipped=$(sed -n 's/.*cannot start 32-bit programs: //p' "$i686_said" | head -1)
  i686_skipped=${i686_skipped:-this machine cannot start 32-bit programs}
else
  trees+=("$i686_tree")
fi
rm -f "$i686_said"
stop_servers "${trees[@]}"
for tree in "${trees[@]}"; do WINEPREFIX="$tree/wineprefix" $wineserver -w 2>/dev/null || true; done

# The lanes' prefixes: hard-linked copies of each tree's prefix, made while its server is down,
# with real copies of the registry files, which Wine rewrites.
lane_ids=()
for tree in "$wine_tree" "$i686_tree"; do rm -rf "$tree/lanes"; done
if [ "$have_x" = 1 ]; then
  for n in $(seq 1 "$lanes"); do
    lane=lane$n
    lane_ids+=("$lane")
    start_xvfb
    for tree in "${trees[@]}"; do
      mkdir -p "$tree/lanes/$lane"
      cp -al "$tree/wineprefix" "$tree/lanes/$lane/wineprefix"
      for file in system.reg user.reg userdef.reg; do
        rm -f "$tree/lanes/$lane/wineprefix/$file"
        cp "$tree/wineprefix/$file" "$tree/lanes/$lane/wineprefix/$file"
      done
      echo ":$display" > "$tree/lanes/$lane/display"
    done
  done
fi

for tree in "${trees[@]}"; do
  WINEPREFIX="$tree/wineprefix" $wineserver -p </dev/null >/dev/null 2>&1
  "$tree/wine-run.sh" cmd /c exit </dev/null >/dev/null 2>&1 || true
done
# Each lane's sessions the same way, on the lane's display (Wine's desktop process, started
# with the session, draws on the display it was started with), all at once.
starts=()
for lane in "${lane_ids[@]}"; do
  for tree in "${trees[@]}"; do
    (
      prefix=$tree/lanes/$lane/wineprefix
      WINEPREFIX=$prefix $wineserver -p
      DISPLAY=$(cat "$tree/lanes/$lane/display") TOLVANE_WINEPREFIX=$prefix \
        "$tree/wine-run.sh" cmd /c exit || true
    ) </dev/null >/dev/null 2>&1 &
    starts+=($!)
  done
done
for pid in "${starts[@]}"; do wait "$pid"; done

# ctest's resource file: the lanes, one window test in each at a time. Without lanes (no Xvfb)
# the trees' own file applies: one lane, the caller's display.
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
# own code runs). A real failure fails twice, and a test that passed only on its second try is
# named in the summary: it has a fault, in the code or in the test, that a rerun must not hide.
log=$root/build/Testing/test-run.log
mkdir -p "$(dirname "$log")"
set +e
ctest --test-dir build -j "$jobs" "${resources[@]}" --output-on-failure --repeat until-pass:2 \
  "$@" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
set -e

# Every try's result line reads "[k/n ]Test #i: NAME .... RESULT".
summary=$(awk '
  match($0, /Test +#[0-9]+: [^ ]+ /) {
    name = substr($0, RSTART, RLENGTH); sub(/^Test +#[0-9]+: /, "", name); sub(/ $/, "", name)
    if ($0 ~ /\*\*\*Skipped/) result = "skipped"
    else if ($0 ~ / Passed /) result = "passed"
    else if ($0 ~ /\*\*\*/) { result = "failed"; tried[name] = 1 }
    else next
    last[name] = result
  }
  END {
    for (name in last) {
      if (last[name] == "passed" && tried[name]) again = again "\n  " name
      if (name ~ /^i686\./) i686[last[name]]++
    }
    printf "again:%s\n", again
    printf "i686:%d %d %d\n", i686["passed"], i686["failed"], i686["skipped"]
  }' "$log")
again=$(printf '%s\n' "$summary" | sed -n '/^again:/,/^i686:/p' | sed '1s/^again://; /^i686:/d' | sed '/^$/d')
read -r i686_passed i686_failed i686_skipped_count <<<"$(printf '%s\n' "$summary" | sed -n 's/^i686://p')"

echo
echo "== summary"
if [ -n "$again" ]; then
  echo "Passed only on the second try (each has a fault, in the code or in the test):"
  printf '%s\n' "$again"
else
  echo "No test passed only on its second try."
fi
echo "i686 (Wine 32-bit): ${i686_passed:-0} passed, ${i686_failed:-0} failed, ${i686_skipped_count:-0} skipped"
if [ -n "$i686_skipped" ]; then
  echo "i686: SKIPPED, this machine cannot start 32-bit programs: $i686_skipped"
  echo "      (only the i686 checks that need no 32-bit code ran: export tables, help file)"
fi
exit "$status"
