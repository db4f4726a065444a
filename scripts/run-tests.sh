#!/usr/bin/env bash
# Runs every test of a build tree with CTest.
set -euo pipefail
build=${1:-build}
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
