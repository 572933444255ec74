#!/bin/bash
# Starts the Windows build under Wine with $ARGS as its command line:
# Sumwise.exe where it is built, sumwise-cli.exe until then.
#   ARGS='/H:MD5 "C:\My Files\a.iso"' scripts/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/windows

# Split ARGS the way Windows splits a command line: blanks separate words,
# double quotes group them, backslashes are plain characters (they are path
# separators there). Wine joins the words again into the program's command line.
words=()
if [ -n "${ARGS:-}" ]; then
    mapfile -t words < <(python3 - "$ARGS" <<'PY'
import sys
word, quoted, started = [], False, False
for c in sys.argv[1]:
    if c == '"':
        quoted, started = not quoted, True
    elif c in ' \t' and not quoted:
        if started:
            print(''.join(word))
        word, started = [], False
    else:
        word.append(c)
        started = True
if started:
    print(''.join(word))
PY
)
fi

if [ -f "$build/src/app/Sumwise.exe" ]; then
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo "make run: no display is available (DISPLAY is not set), so Sumwise's window cannot be shown." >&2
        echo "Run it from a desktop session, or set DISPLAY to a running X server." >&2
        exit 1
    fi
    exec scripts/wine-run.sh "$build" --display "$build/src/app/Sumwise.exe" "${words[@]}"
fi
exec scripts/wine-run.sh "$build" "$build/src/sumwise-cli.exe" "${words[@]}"
