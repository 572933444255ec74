#!/bin/sh
# Runs a Windows program under Wine with this project's private prefix.
#   scripts/wine-run.sh BUILD_DIR [--display] PROGRAM [ARGS...]
# The prefix lives in BUILD_DIR/wineprefix and uses Wine's null graphics
# driver, so tests need no X server. With --display the program runs in
# BUILD_DIR/wineprefix-display instead, on the user's screen.
set -eu
build_dir=$(cd "$1" && pwd)
shift
prefix="$build_dir/wineprefix"
headless=1
if [ "${1:-}" = "--display" ]; then
    prefix="$build_dir/wineprefix-display"
    headless=0
    shift
fi

export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
export HOME="$build_dir/winehome"
mkdir -p "$HOME"

# Create the prefix once; concurrent callers wait for the first.
if [ ! -f "$prefix/.sumwise-ready" ]; then
    mkdir -p "$(dirname "$prefix")"
    (
        flock 9
        if [ ! -f "$prefix/.sumwise-ready" ]; then
            wineboot -i </dev/null >/dev/null 2>&1 || true
            if [ "$headless" = 1 ]; then
                wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1
            fi
            wineserver -w
            touch "$prefix/.sumwise-ready"
        fi
    ) 9>"$prefix.lock"
fi

exec wine "$@"
