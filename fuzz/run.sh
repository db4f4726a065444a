#!/usr/bin/env bash
# Runs every fuzz target of a build for a set time each and fails if any of them finds
# something (a crash, a failed property, a leak, a timeout or running out of memory).
#   fuzz/run.sh BUILD_DIR [SECONDS] [TARGET...]
# New inputs go to BUILD_DIR/fuzz-corpus/<target> (the committed seeds stay as they are);
# findings to BUILD_DIR/fuzz-findings/<target>/.
set -uo pipefail
build=${1:?usage: fuzz/run.sh BUILD_DIR [SECONDS] [TARGET...]}
seconds=${2:-60}
shift $(( $# < 2 ? $# : 2 ))
here=$(cd "$(dirname "$0")" && pwd)

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for program in "$build"/bin/fuzz_*; do
        [ -x "$program" ] && targets+=("${program##*/fuzz_}")
    done
fi
[ ${#targets[@]} -gt 0 ] || { echo "no fuzz targets in $build/bin" >&2; exit 2; }

failed=()
for t in "${targets[@]}"; do
    corpus="$build/fuzz-corpus/$t"
    findings="$build/fuzz-findings/$t"
    mkdir -p "$corpus" "$findings"
    args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
          -artifact_prefix="$findings/")
    [ -f "$here/$t.dict" ] && args+=(-dict="$here/$t.dict")
    seeds=()
    [ -d "$here/corpus/$t" ] && seeds+=("$here/corpus/$t")
    echo "== fuzz_$t for ${seconds}s"
    if ! "$build/bin/fuzz_$t" "${args[@]}" "$corpus" "${seeds[@]}" >"$build/fuzz-$t.log" 2>&1; then
        failed+=("$t")
        tail -n 60 "$build/fuzz-$t.log"
    else
        grep -E "^stat::number_of_executed_units|^Done" "$build/fuzz-$t.log" | tail -n 1
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzzing found something in: ${failed[*]} (inputs under $build/fuzz-findings/)" >&2
    exit 1
fi
echo "fuzzing found nothing in: ${targets[*]}"
