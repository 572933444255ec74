#!/bin/bash
# Starts the Windows build under Wine with ARGS as its command line:
# Sumwise.exe where it is built, sumwise-cli.exe until then.
#   scripts/run.sh 'ARGS'
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/windows
eval "set -- ${1:-}"

if [ -f "$build/src/app/Sumwise.exe" ]; then
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo "make run: no display is available (DISPLAY is not set), so Sumwise's window cannot be shown." >&2
        echo "Run it from a desktop session, or set DISPLAY to a running X server." >&2
        exit 1
    fi
    exec scripts/wine-run.sh "$build" --display "$build/src/app/Sumwise.exe" "$@"
fi
exec scripts/wine-run.sh "$build" "$build/src/sumwise-cli.exe" "$@"
