#!/usr/bin/env bash
# Times `ortiva sql` over a large result against the sqlite3 shell on the same file: wall time
# and peak resident memory (/usr/bin/time -v), medians of RUNS runs, and the time to the first
# row. Targets: at most 1.5x the shell's time and at most 20 MB resident.
# Usage: scripts/bench-sql.sh [BUILD_DIR]   (ROWS, RUNS and FORMATS from the environment)
set -euo pipefail
build=${1:-build}
ortiva=$build/bin/ortiva
rows=${ROWS:-200000}
runs=${RUNS:-5}
formats=${FORMATS:-csv table json}
[ -x "$ortiva" ] || { echo "no $ortiva: build the ortiva target first" >&2; exit 2; }
[ -x /usr/bin/time ] && command -v sqlite3 >/dev/null ||
    { echo "needs /usr/bin/time and sqlite3: scripts/install-deps.sh --bench" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
db=$work/bench.db
# 200 bytes a row: an id and 196 characters of text.
sqlite3 "$db" "create table T (Id INTEGER PRIMARY KEY, Payload TEXT);
  with recursive n(i) as (select 1 union all select i + 1 from n where i < $rows)
  insert into T select i, substr(hex(randomblob(98)), 1, 196) from n;"
query="select Id, Payload from T"

# Prints "seconds kilobytes" for one run of the command.
measure() {
    /usr/bin/time -v -o "$work/time" "$@" >/dev/null 2>"$work/err" || {
        cat "$work/err" >&2
        exit 1
    }
    awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = 0;
                   for (i = 1; i <= n; ++i) s = s * 60 + t[i]; secs = s }
                /Maximum resident set size/ { kb = $2 }
                END { printf "%.3f %d\n", secs, kb }' "$work/time"
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Seconds until the first row has been printed.
first_row() {
    local start end
    start=$(date +%s%N)
    # The program is cut off by SIGPIPE once the first rows are in.
    { "$@" || true; } | { head -n 3 >/dev/null; end=$(date +%s%N); echo "scale=3; ($end - $start) / 1000000000" | bc; }
}

run_case() {
    local name=$1
    shift
    : >"$work/t"
    : >"$work/m"
    for _ in $(seq "$runs"); do
        read -r secs kb < <(measure "$@")
        echo "$secs" >>"$work/t"
        echo "$kb" >>"$work/m"
    done
    local t m f
    t=$(median <"$work/t")
    m=$(median <"$work/m")
    f=$(for _ in $(seq "$runs"); do first_row "$@"; done | median)
    printf '%-14s %8.3f s %8.1f MB  first row %6.3f s\n' "$name" "$t" "$(echo "$m / 1024" | bc -l)" "$f"
    echo "$t" >"$work/last"
}

echo "load: $(uptime)"
echo "$rows rows x 200 bytes, median of $runs runs"
run_case "sqlite3 shell" sqlite3 "$db" "$query"
shell=$(cat "$work/last")
run_case "sqlite3 -csv" sqlite3 -csv "$db" "$query"
for format in $formats; do
    run_case "ortiva $format" "$ortiva" sql --connect "Data Source=$db" --format "$format" "$query"
    echo "  ratio to the shell: $(echo "scale=2; $(cat "$work/last") / $shell" | bc)"
done
