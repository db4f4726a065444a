#!/usr/bin/env bash
# Runs every benchmark program of a build tree; each reports its ratios to a raw floor. The
# ODBC benchmark runs against a throwaway PostgreSQL server; Qt runs offscreen.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
for b in "$build"/bin/bench_*; do
    [ -x "$b" ] || continue
    echo "== $(basename "$b")"
    case "$(basename "$b")" in
        bench_odbc*) "$here/with-postgres.sh" "$b" --benchmark_counters_tabular=true ;;
        *) "$b" --benchmark_counters_tabular=true ;;
    esac
done
