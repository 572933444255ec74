#!/bin/sh
# Starts or stops the Wine server of the test prefix, so that the tests do
# not each pay for starting it.
#   scripts/wine-session.sh start|stop BUILD_DIR
set -eu
action=$1
build_dir=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

export WINEPREFIX="$build_dir/wineprefix"
export WINEDEBUG=-all
export WINEARCH=win64
export HOME="$build_dir/winehome"

case "$action" in
start)
    # Create the prefix (once), then keep a server and Wine's helper
    # processes running, detached from ctest's output pipes.
    "$here/wine-run.sh" "$build_dir" cmd /c exit </dev/null >/dev/null 2>&1 || true
    (
        exec </dev/null >/dev/null 2>&1
        wineserver -p
        wine cmd /c exit || true
    ) &
    wait
    ;;
stop)
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    ;;
*)
    echo "usage: $0 start|stop BUILD_DIR" >&2
    exit 2
    ;;
esac
