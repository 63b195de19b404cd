#!/bin/sh
# Runs one libFuzzer target for a bounded time over a scratch copy of its seed corpus.
#   run-fuzzer.sh FUZZER WORKDIR SECONDS [SEED_DIR]
set -eu
fuzzer=$1; work=$2; seconds=$3; seeds=${4:-}
mkdir -p "$work/corpus" "$work/artifacts"
if [ -n "$seeds" ] && [ -d "$seeds" ]; then
  cp -n "$seeds"/* "$work/corpus/" 2>/dev/null || true
fi
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$work/artifacts/" "$work/corpus"
