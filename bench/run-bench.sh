#!/usr/bin/env bash
# Runs the benchmark programs under Wine and prints one table of every figure.
# Usage: bench/run-bench.sh [build-dir]   (default: build/x64)
# Needs a running Wine session (tools/wine-session.sh start) or starts one per
# program through cmake/wine-run.sh. The table also goes to <build-dir>/bench/results.md.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build/x64}
run="$root/cmake/wine-run.sh"
programs=(bench_inprocess bench_process bench_capture)

rows=$(mktemp)
trap 'rm -f "$rows"' EXIT
failed=0
for program in "${programs[@]}"; do
    exe="$build/bench/$program.exe"
    if [[ ! -f "$exe" ]]; then
        echo "bench: $exe is missing (build the 'benchmarks' target)" >&2
        failed=1
        continue
    fi
    echo "bench: running $program ..." >&2
    "$run" "$exe" >>"$rows"
    status=$?
    if ((status != 0)); then
        echo "bench: $program ended with status $status" >&2
        failed=1
    fi
done

table=$(awk -F'\t' '
    BEGIN {
        n = 0
        split("Figure|Work|Baseline (same run)|Work, median|Baseline, median|Ratio, median|Ratio, min-max|Runs|Target|Result", head, "|")
        for (c = 1; c <= 10; c++) { cell[0, c] = head[c]; width[c] = length(head[c]) }
    }
    $1 == "ROW" {
        n++
        for (c = 1; c <= 10; c++) {
            cell[n, c] = $(c + 1)
            if (length($(c + 1)) > width[c]) width[c] = length($(c + 1))
        }
    }
    $1 == "NOTE" { notes[++m] = $2 }
    function line(r,    c, out) {
        out = "|"
        for (c = 1; c <= 10; c++) out = out sprintf(" %-" width[c] "s |", cell[r, c])
        print out
    }
    END {
        line(0)
        out = "|"
        for (c = 1; c <= 10; c++) { dashes = ""; for (i = 0; i < width[c] + 2; i++) dashes = dashes "-"; out = out dashes "|" }
        print out
        for (r = 1; r <= n; r++) line(r)
        if (m) print ""
        for (i = 1; i <= m; i++) print "Note: " notes[i]
    }' "$rows")

mkdir -p "$build/bench"
printf '%s\n' "$table" | tee "$build/bench/results.md"
exit "$failed"
