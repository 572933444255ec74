#!/bin/sh
# Runs a Windows test program under Wine with its X11 graphics driver on a
# virtual screen (Xvfb), for tests of what is really drawn: the null driver
# of the other tests draws nothing. Uses the display prefix of wine-run.sh.
#   scripts/run-on-x11.sh BUILD_DIR PROGRAM [ARGS...]
set -eu
build_dir=$(cd "$1" && pwd)
shift
here=$(cd "$(dirname "$0")" && pwd)

number=$(mktemp)
# The server picks a free display and writes its number to descriptor 3.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number" </dev/null >/dev/null 2>&1 &
server=$!
cleanup() {
    WINEPREFIX="$build_dir/wineprefix-display" wineserver -k 2>/dev/null || true
    WINEPREFIX="$build_dir/wineprefix-display" wineserver -w 2>/dev/null || true
    kill "$server" 2>/dev/null || true
    rm -f "$number"
}
trap cleanup EXIT
tries=0
while [ ! -s "$number" ] && [ "$tries" -lt 100 ]; do
    sleep 0.1
    tries=$((tries + 1))
done
if [ ! -s "$number" ]; then
    echo "Xvfb did not start" >&2
    exit 1
fi
DISPLAY=":$(head -n 1 "$number")"
export DISPLAY
"$here/wine-run.sh" "$build_dir" --display "$@"
