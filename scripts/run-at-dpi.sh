#!/bin/sh
# Runs a Windows test program under Wine as if the screen had another DPI
# (144 = 150 %, 192 = 200 %), then sets the test prefix back to 96.
#   scripts/run-at-dpi.sh BUILD_DIR DPI PROGRAM [ARGS...]
set -eu
build_dir=$(cd "$1" && pwd)
dpi=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)

set_dpi() {
    "$here/wine-run.sh" "$build_dir" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
        </dev/null >/dev/null 2>&1
}
trap 'set_dpi 96' EXIT
set_dpi "$dpi"
"$here/wine-run.sh" "$build_dir" "$@"
