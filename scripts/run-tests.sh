#!/usr/bin/env bash
# Runs every test of a build tree with CTest. When the tree has the ODBC tests, they run
# against a throwaway PostgreSQL server (scripts/with-postgres.sh); Qt tests run offscreen.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

run=(ctest --test-dir "$build" --output-on-failure -j "$(nproc)")
if [ -x "$build/bin/test_odbc" ]; then
    "$here/with-postgres.sh" "${run[@]}"
else
    "${run[@]}"
fi
