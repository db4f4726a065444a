#!/usr/bin/env bash
# Runs every benchmark program of a build tree; each reports its ratios to a raw floor.
set -euo pipefail
build=${1:-build}
for b in "$build"/bin/bench_*; do
    [ -x "$b" ] || continue
    echo "== $(basename "$b")"
    "$b" --benchmark_counters_tabular=true
done
