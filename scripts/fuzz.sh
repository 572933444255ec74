#!/bin/bash
# Builds the fuzz targets (the `fuzz` preset: clang, libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer) and runs each for FUZZ_SECONDS (default 60),
# starting from its committed corpus and dictionary. New inputs go to
# build/fuzz/corpus/<target>; a crash leaves its input in
# build/fuzz/findings/<target>/ (copy it into fuzz/corpus/<target>/ once
# fixed, so the replay in `make test` keeps it fixed). Prints the executions
# per target; exits non-zero when any target found something.
#   scripts/fuzz.sh [TARGET...]
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}

cmake --preset fuzz >/dev/null && cmake --build --preset fuzz || exit 1

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for dir in fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi

summary=()
failed=0
for target in "${targets[@]}"; do
    work=build/fuzz/corpus/$target
    findings=build/fuzz/findings/$target
    log=build/fuzz/$target.log
    mkdir -p "$work" "$findings"
    dictionary=()
    [ -f "fuzz/dict/$target.dict" ] && dictionary=(-dict="fuzz/dict/$target.dict")
    echo "=== $target: $seconds s"
    build/fuzz/fuzz/fuzz_$target "$work" "fuzz/corpus/$target" "${dictionary[@]}" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
        -artifact_prefix="$findings/" -print_final_stats=1 >"$log" 2>&1
    status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    if [ $status -ne 0 ]; then
        failed=1
        grep -m5 -E "ERROR|broken promise|runtime error|Test unit written" "$log"
        summary+=("$target: FOUND A PROBLEM after ${runs:-?} executions (see $log)")
    else
        summary+=("$target: ${runs:-?} executions in $seconds s, nothing found")
    fi
done
echo "=== summary"
printf '%s\n' "${summary[@]}"
exit $failed
