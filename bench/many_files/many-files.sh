#!/bin/bash
# sumwise-cli beside its peers where the per-input cost shows: -r over 10,000
# files of 0-200 bytes, 64 files of 8 MiB against one file of 512 MiB, and -c
# over a million lines. Wall time, best of RUNS (3); peak memory for -c.
#   many-files.sh CLI          (RUNS=1 LINES=100000 for a quick look)
set -eu
cli=$(realpath "$1")
runs=${RUNS:-3}
lines=${LINES:-1000000}
for peer in rhash hashdeep sha256sum; do
    command -v $peer > /dev/null || { echo "many-files.sh: $peer is missing (scripts/install-deps.sh)"; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

python3 - "$lines" <<'PY'
import os, random, sys
random.seed(20)
for folder in range(10):
    os.makedirs(f"tiny/{folder}")
    for i in range(1000):
        with open(f"tiny/{folder}/f{i:04d}", "wb") as f:
            f.write(random.randbytes(random.randint(0, 200)))
os.makedirs("eight")
block = random.randbytes(8 << 20)
for i in range(64):
    with open(f"eight/f{i:02d}", "wb") as f:
        f.write(block[i:] + block[:i])
with open("large", "wb") as f:
    for i in range(64):
        f.write(block)
PY
sha256sum tiny/0/* > some.sums
python3 - "$lines" <<'PY'
import sys
lines = open("some.sums").read().splitlines(keepends=True)
want = int(sys.argv[1])
with open("million.sums", "w") as f:
    for i in range(want):
        f.write(lines[i % len(lines)])
PY

# What was written reaches the disk before anything is timed, and every
# command reads the same trees from the page cache.
sync

# Seconds, best of $runs, after one run that is not timed.
seconds() {
    local best=0 start took
    "$@" > /dev/null 2>&1 || true
    for _ in $(seq "$runs"); do
        start=$(date +%s%N)
        "$@" > /dev/null 2>&1 || true
        took=$(( $(date +%s%N) - start ))
        if [ "$best" = 0 ] || [ "$took" -lt "$best" ]; then best=$took; fi
    done
    awk -v ns="$best" 'BEGIN { printf "%.2f", ns / 1e9 }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
row() {  # row WORK OURS PEER-NAME PEER
    printf '| %s | %s s | `%s` %s s | %s |\n' "$1" "$2" "$3" "$4" "$(ratio "$2" "$4")"
}
peak() { /usr/bin/time -f %M "$@" 2>&1 > /dev/null | tail -1; }

echo "| work | ours | peer | ours/peer |"
echo "|---|---|---|---|"
row "-r, 10,000 files of 0-200 bytes, CRC32+MD5+SHA-1" "$(seconds "$cli" -r tiny)" \
    "rhash -r --crc32 --md5 --sha1" "$(seconds rhash -r --crc32 --md5 --sha1 tiny)"
row "the same, -a md5" "$(seconds "$cli" -r -a md5 tiny)" "rhash -r --md5" "$(seconds rhash -r --md5 tiny)"
row "the same, -a sha-256" "$(seconds "$cli" -r -a sha-256 tiny)" \
    "hashdeep -r -c sha256" "$(seconds hashdeep -r -c sha256 tiny)"
row "the same, -a all" "$(seconds "$cli" -r -a all tiny)" "rhash -r --all" "$(seconds rhash -r --all tiny)"
row "64 files of 8 MiB, -a sha-512" "$(seconds "$cli" -a sha-512 eight/*)" \
    "sumwise-cli -a sha-512 on one 512 MiB file" "$(seconds "$cli" -a sha-512 large)"
row "-c over $lines lines" "$(seconds "$cli" -c -a sha-256 million.sums)" \
    "sha256sum -c" "$(seconds sha256sum -c million.sums)"
if [ -x /usr/bin/time ]; then
    echo
    echo "peak memory of -c over $lines lines: ours $(peak "$cli" -c -a sha-256 million.sums) KB," \
         "sha256sum -c $(peak sha256sum -c million.sums) KB"
fi
