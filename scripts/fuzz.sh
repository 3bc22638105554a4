#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
#   scripts/fuzz.sh [seconds-per-target]     (default 10; e.g. 600 for a long run)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-10}"
build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DMASKQUILL_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"
status=0
for exe in "$build"/fuzz/*_fuzz; do
  name=$(basename "$exe" _fuzz)
  seeds="fuzz/corpus/$name"
  work=$(mktemp -d "/tmp/maskquill-fuzz-$name.XXXXXX")
  [ -d "$seeds" ] && cp -r "$seeds"/. "$work"/ 2>/dev/null || true
  log="$build/$name.log"
  if "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="$build/$name-" "$work" >"$log" 2>&1; then
    execs=$(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')
    cov=$(grep -E '^#[0-9]+.*(DONE|cov:)' "$log" | tail -n1 | grep -oE 'cov: [0-9]+' || true)
    echo "fuzz $name: ok, ${execs:-?} executions in ${seconds}s ${cov}"
  else
    echo "fuzz $name: FAILED (see $log)"; tail -n 40 "$log"; status=1
  fi
  rm -rf "$work"
done
exit $status
