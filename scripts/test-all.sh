#!/bin/bash
# Builds every configuration and runs every test: natively, with the
# address and undefined-behaviour sanitizers, the threaded tests with the
# thread sanitizer, and the Windows build under Wine. Exits non-zero on any
# failure.
set -uo pipefail
cd "$(dirname "$0")/.."

failed=()
run_preset() {
    local preset=$1 start=$SECONDS
    echo "=== $preset: configure and build"
    if ! cmake --preset "$preset" >/dev/null || ! cmake --build --preset "$preset"; then
        failed+=("$preset (build)")
        return
    fi
    echo "=== $preset: built in $((SECONDS - start)) s; test"
    start=$SECONDS
    ctest --preset "$preset" || failed+=("$preset (tests)")
    echo "=== $preset: tested in $((SECONDS - start)) s"
}

# Whatever happens, leave no Wine server behind.
trap 'scripts/wine-session.sh stop build/windows >/dev/null 2>&1 || true' EXIT

run_preset native
run_preset native-asan
run_preset native-tsan
run_preset windows

if [ ${#failed[@]} -ne 0 ]; then
    echo "FAILED: ${failed[*]}"
    exit 1
fi
echo "All tests passed (native, native-asan, native-tsan, windows under Wine)."
