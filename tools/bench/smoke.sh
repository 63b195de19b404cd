#!/usr/bin/env bash
# The test run's check that a benchmark still builds and runs: runs one bench script on a tiny
# image and passes when it exits 0 and its output holds every line pattern given (its table's
# rows). No time is judged.
#   smoke.sh SCRIPT WORKDIR PATTERN...     (exit 77 from the script: skipped)
set -uo pipefail
script=$1 work=$2
shift 2
out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$script" "$work" > "$out" 2>&1
status=$?
cat "$out"
[ "$status" = 77 ] && exit 77
if [ "$status" != 0 ]; then
  echo "smoke: $(basename "$script") exited with $status"
  exit 1
fi
for pattern in "$@"; do
  if ! grep -Eq -- "$pattern" "$out"; then
    echo "smoke: no line matching '$pattern'"
    exit 1
  fi
done
