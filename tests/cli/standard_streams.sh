#!/bin/bash
# The real sumwise-cli when its standard streams fail or are closed (each
# such case exits non-zero and says why; a closed descriptor never becomes
# one of our files), and when it is interrupted.
#   standard_streams.sh CLI [EMULATOR...]
# With an emulator (Wine) the cases of POSIX descriptors and signals are left out.
set -u
cli=$1
shift
emulator=("$@")
run() { "${emulator[@]}" "$cli" "$@"; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
printf abc > abc.txt
printf 'a9993e364706816aba3e25717850c26c9cd0d89d  abc.txt\n' > SHA1SUMS
failures=0
passed=0

expect() {  # expect WHAT STATUS STDERR-PART -- actual status and stderr in $status, err
    local what=$1 want=$2 part=$3
    if [ "$status" != "$want" ] || { [ -n "$part" ] && ! grep -qF -- "$part" err; } || { [ -z "$part" ] && [ -s err ]; }; then
        echo "FAILED: $what: status $status (wanted $want), stderr:"; cat err
        failures=$((failures + 1))
    else
        passed=$((passed + 1))
    fi
}

run -a crc32 abc.txt > /dev/full 2> err; status=$?
expect "hash to a full disk" 1 "sumwise-cli: write error: No space left on device"

run -c SHA1SUMS > /dev/full 2> err; status=$?
expect "check to a full disk" 1 "write error: No space left on device"

run -c --status SHA1SUMS > /dev/full 2> err; status=$?
expect "--status writes nothing" 0 ""

# Lines go out a buffer at a time, yet with both streams in one file a
# message still stands between the lines around it.
run -a crc32 abc.txt missing abc.txt > both 2>&1; status=$?
printf '' > err
if [ "$(head -c 17 both)" != "352441C2  abc.txt" ] || ! sed -n 2p both | grep -q "^sumwise-cli: missing: " ||
    [ "$(sed -n 3p both | head -c 17)" != "352441C2  abc.txt" ]; then
    echo "FAILED: lines and messages out of order:"; cat both
    failures=$((failures + 1))
else
    expect "a message between lines" 1 ""
fi

# Far more than a pipe holds (within the length of a Windows command line),
# to a reader that reads one byte and goes.
args=()
for i in $(seq 1000); do args+=(--text x); done
{ run -a all "${args[@]}" 2> err; echo $? > status; } | head -c 1 > /dev/null
status=$(cat status)
# Quietly, as the common tools end: by SIGPIPE (128 + 13) here, status 1 on Windows.
if [ ${#emulator[@]} -gt 0 ]; then
    expect "a reader that went away" 1 ""
else
    expect "a reader that went away" 141 ""
fi
# Checking too.
printf 'a9993e364706816aba3e25717850c26c9cd0d89d  abc.txt\n%.0s' $(seq 3000) > many.sha1
{ run -c many.sha1 2> err; echo $? > status; } | head -c 1 > /dev/null
status=$(cat status)
if [ ${#emulator[@]} -gt 0 ]; then
    expect "a reader of -c that went away" 1 ""
else
    expect "a reader of -c that went away" 141 ""
fi

if [ ${#emulator[@]} -gt 0 ]; then
    echo "$passed passed, $failures failed"
    [ "$failures" = 0 ]
    exit
fi

"$cli" -a crc32 abc.txt >&- 2> err; status=$?
expect "closed standard output" 1 "write error: Bad file descriptor"

"$cli" -a crc32 - <&- > /dev/null 2> err; status=$?
expect "closed standard input" 1 "-: Bad file descriptor"

# With standard output closed, the hash file --save writes must not receive our report.
"$cli" --save -a md5 abc.txt >&- 2> err; status=$?
expect "closed standard output while saving" 1 "write error: Bad file descriptor"
if [ "$(od -An -c abc.txt.md5 | tr -d ' \n')" != '900150983CD24FB0D6963F7D28E17F72\r\n' ]; then
    echo "FAILED: the hash file holds more than its digest:"; od -c abc.txt.md5
    failures=$((failures + 1))
else
    passed=$((passed + 1))
fi

# -c from a pipe tells each result as its line comes, before the input ends.
mkfifo lines
{ cat SHA1SUMS; sleep 4; cat SHA1SUMS; } > lines & writer=$!
"$cli" -c -a sha-1 - < lines > out 2> err & pid=$!
sleep 2; early=$(cat out)
wait $pid; status=$?; wait $writer
if [ "$early" != "abc.txt: OK" ] || [ "$status" != 0 ] || [ "$(cat out)" != "$(printf 'abc.txt: OK\nabc.txt: OK')" ]; then
    echo "FAILED: streamed -c -: status $status, after 2 s: '$early', in all:"; cat out err
    failures=$((failures + 1))
else
    passed=$((passed + 1))
fi

# Interrupted mid-input: ends by the signal, prints no digest.
mkfifo slow
sleep 30 > slow & writer=$!
"$cli" -a crc32 slow > out 2> err & pid=$!
sleep 0.5; kill -TERM $pid; wait $pid; status=$?
kill $writer 2>/dev/null; wait $writer 2>/dev/null
if [ "$status" != 143 ] || [ -s out ]; then
    echo "FAILED: interrupt: status $status, output:"; cat out
    failures=$((failures + 1))
else
    passed=$((passed + 1))
fi

# On a terminal the progress line shows while an input is slow, and an
# interrupt blanks it before the program ends.
if command -v script > /dev/null; then
    (head -c 600000 /dev/zero; sleep 1; head -c 600000 /dev/zero; sleep 30) > slow & writer=$!
    script -q -c "exec '$cli' -a crc32 slow" /dev/null > terminal & shell=$!
    sleep 2
    kill -TERM "$(pgrep -P $shell)"; wait $shell
    kill $writer 2>/dev/null; wait $writer 2>/dev/null
    shown=$(od -An -c terminal | tr -d '\n')
    if ! printf '%s' "$shown" | grep -q 'r   e   a   d  \\r   *\\r$'; then
        echo "FAILED: progress line not blanked on interrupt:"; od -c terminal
        failures=$((failures + 1))
    else
        passed=$((passed + 1))
    fi
fi

echo "$passed passed, $failures failed"
[ "$failures" = 0 ]
