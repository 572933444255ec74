#!/bin/bash
# One read per job, measured: the program's job driver and sumwise-cli with
# every algorithm ticked, against MD2 (the slowest) alone, over one file of
# SIZE MiB (256 by default); natively, and under Wine when the Windows build
# is there. Wall-clock times; best of RUNS (1 by default).
#   bench/read_once/read-once.sh [SIZE_MIB] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
size=${1:-256}
runs=${2:-1}
cd "$root"
cmake --preset native >/dev/null
cmake --build --preset native --target sumwise-cli sumwise-read-once-bench >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
head -c $((size << 20)) /dev/urandom >"$work/input.bin"
echo "Input: $size MiB of random bytes; $(nproc) cores; best of $runs."

# best_of COMMAND...: the shortest wall time of `runs` runs, in seconds.
best_of() {
    local best="" t
    for ((i = 0; i < runs; i++)); do
        t=$( { TIMEFORMAT=%R; time "$@" >/dev/null 2>&1; } 2>&1 )
        if [ -z "$best" ] || awk "BEGIN { exit !($t < $best) }"; then best=$t; fi
    done
    echo "$best"
}

cli_ratio() {
    local label=$1
    shift
    local alone every
    alone=$(best_of "$@" -a MD2 "$input")
    every=$(best_of "$@" -a all "$input")
    awk -v l="$label" -v a="$alone" -v e="$every" \
        'BEGIN { printf "%s: MD2 alone %.2f s, all algorithms %.2f s, ratio %.3f\n", l, a, e, e / a }'
}

input="$work/input.bin"
echo "== native"
build/native/bench/read_once/sumwise-read-once-bench "$input" "$runs"
cli_ratio "sumwise-cli" build/native/src/sumwise-cli

if [ -x build/windows/bench/read_once/sumwise-read-once-bench.exe ]; then
    echo "== under Wine"
    scripts/wine-session.sh start build/windows
    trap 'scripts/wine-session.sh stop build/windows >/dev/null 2>&1; rm -rf "$work"' EXIT
    input="Z:$(echo "$work/input.bin" | tr '/' '\\')"
    scripts/wine-run.sh build/windows build/windows/bench/read_once/sumwise-read-once-bench.exe "$input" "$runs"
    cli_ratio "sumwise-cli.exe" scripts/wine-run.sh build/windows build/windows/src/sumwise-cli.exe
fi
