#!/bin/bash
# The real sumwise-cli beside the peers' own checkers, both ways: what we
# write (--tag lines, and untagged lines under the peers' file names) their
# -c reads back, and what they write our -c reads back. A row whose peer is
# not installed is left out and said so.
#   peer_checkers.sh CLI
set -u
cli=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
printf abc > abc.txt
head -c 70000 /dev/urandom > 'a b.bin'
printf '' > empty.txt
inputs=(abc.txt 'a b.bin' empty.txt)
failures=0
passed=0
skipped=0

have() { command -v "$1" > /dev/null 2>&1; }

# ours SUMS-FILE CHECKER -- OUR-OPTIONS...: our lines into SUMS-FILE, checked by CHECKER (a command line).
ours() {
    local sums=$1 checker=$2
    shift 3
    if ! have "${checker%% *}"; then
        skipped=$((skipped + 1))
        echo "skipped: ${checker%% *} is not installed"
        return
    fi
    if ! "$cli" "$@" "${inputs[@]}" > "$sums" 2> err || ! $checker "$sums" > out 2>> err; then
        echo "FAILED: $checker does not read back sumwise-cli $*:"
        cat "$sums" err out
        failures=$((failures + 1))
    else
        passed=$((passed + 1))
    fi
}

# theirs SUMS-FILE PEER...: the peer's lines into SUMS-FILE, checked by our -c.
theirs() {
    local sums=$1
    shift
    if ! have "$1"; then
        skipped=$((skipped + 1))
        echo "skipped: $1 is not installed"
        return
    fi
    "$@" "${inputs[@]}" > "$sums" 2> /dev/null
    # Each input's lines together, one per algorithm, as the peers write them.
    local want="" each
    each=$(( $(wc -l < "$sums") / ${#inputs[@]} ))
    for input in "${inputs[@]}"; do
        for ((i = 0; i < each; i++)); do want+="$input: OK"$'\n'; done
    done
    local got
    got=$("$cli" -c "$sums" 2> err; echo "status $?")
    if [ "$got" != "${want}status 0" ]; then
        echo "FAILED: sumwise-cli -c does not read $* ($sums):"
        cat "$sums" err
        echo "$got"
        failures=$((failures + 1))
    else
        passed=$((passed + 1))
    fi
}

# Our lines, their checkers.
ours tagged.b2 "b2sum -c" -- --tag -s -a BLAKE2b
ours B2SUMS "b2sum -c" -- -s -a BLAKE2b
ours B3SUMS "b3sum -c" -- -s -a BLAKE3
ours tagged.xxh64 "xxhsum -c" -- --tag -s -a XXH64
ours tagged.xxh3 "xxhsum -c" -- --tag -s -a XXH3
ours tagged.xxh128 "xxhsum -c" -- --tag -s -a XXH128
ours untagged.xxh64 "xxhsum -c" -- -s -a XXH64
ours untagged.xxh128 "xxhsum -c" -- -s -a XXH128
ours tagged.rhash "rhash --skip-ok -c" -- --tag -s -a SHA3-224,SHA3-256,SHA3-384,SHA3-512,BLAKE2b,BLAKE2s,CRC32C
ours upper.rhash "rhash --skip-ok -c" -- --tag -a SHA3-256,BLAKE2s,CRC32C

# Their lines, our -c.
theirs B2SUMS b2sum
theirs tagged b2sum --tag
theirs B3SUMS b3sum
theirs list.b3 b3sum
theirs sums.xxh64 xxhsum -H1
theirs sums.xxh128 xxhsum -H2
theirs sums.xxh3 xxhsum -H3
theirs tagged xxhsum --tag -H1
theirs tagged xxhsum --tag -H2
theirs tagged xxhsum --tag -H3
for option in --sha3-224 --sha3-256 --sha3-384 --sha3-512 --blake2b --blake2s --crc32c; do
    theirs bsd rhash --bsd "$option"
done
theirs bsd rhash --bsd --sha3-256 --blake2b --blake2s --crc32c

echo "$passed passed, $failures failed, $skipped skipped"
[ "$failures" -eq 0 ]
