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

# GUI tests need an X server: a private Xvfb on a free display, killed on exit.
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  WINEPREFIX="$root/build/x86_64/wineprefix" /usr/lib/wine/wineserver64 -k 2>/dev/null || true
}
trap cleanup EXIT
if command -v Xvfb >/dev/null; then
  fifo=$(mktemp -u); mkfifo "$fifo"
  Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r display < "$fifo"
  rm -f "$fifo"
  export DISPLAY=":$display"
fi

# Start the Wine session before ctest, so that no test is the one that pays for it, with a
# server that stays for the whole run: a server that quits after an idle minute (while the
# native tests and volume builders run) can do so just as a test connects, and that test fails
# at once.
"$root/build/x86_64/wine-run.sh" cmd /c exit </dev/null >/dev/null 2>&1 || true
WINEPREFIX="$root/build/x86_64/wineprefix" /usr/lib/wine/wineserver64 -k 2>/dev/null || true
WINEPREFIX="$root/build/x86_64/wineprefix" /usr/lib/wine/wineserver64 -w 2>/dev/null || true
WINEPREFIX="$root/build/x86_64/wineprefix" /usr/lib/wine/wineserver64 -p </dev/null >/dev/null 2>&1
"$root/build/x86_64/wine-run.sh" cmd /c exit </dev/null >/dev/null 2>&1 || true

# The window tests' deadlines are what a quiet machine needs; they stretch by this factor (and
# by the load the machine carries, tests/support/WindowRobot.h): this run's own tests load it.
export TOLVANE_WAIT_FACTOR="${TOLVANE_WAIT_FACTOR:-2}"

# A test that fails is run once more before it counts as failed: on a loaded machine a Wine
# process now and then dies at start-up (in a few hundredths of a second, before the test's
# own code runs). A real failure fails twice.
ctest --test-dir build -j "${TOLVANE_JOBS:-$(nproc)}" --output-on-failure --repeat until-pass:2 "$@"
