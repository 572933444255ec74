#!/usr/bin/env bash
# Signs a release's version files for the update check:
#
#   scripts/sign-update-files.sh DIST_DIR KEY_PEM EXPECTED_PUBLIC_KEY_HEX
#
# DIST_DIR/files/latest.txt (and beta.txt when there) each get NAME.sig beside
# them: the Ed25519 signature of the file's exact bytes as 128 hexadecimal
# digits and LF. KEY_PEM is the private key as `openssl genpkey -algorithm
# ed25519` writes it; EXPECTED_PUBLIC_KEY_HEX is the key built into the
# programs (SUMWISE_UPDATE_PUBLIC_KEY). Refuses to sign when they do not
# match, since such a release could never update. Run it after Authenticode
# signing: that changes the files, and so the digests the version files hold.
# Every signature is checked with `openssl pkeyutl -verify` before it stays.
set -euo pipefail

if [ $# -ne 3 ]; then
    echo "usage: $0 DIST_DIR KEY_PEM EXPECTED_PUBLIC_KEY_HEX" >&2
    exit 2
fi
dist=$1
key=$2
expected=$(printf '%s' "$3" | tr 'A-F' 'a-f')
files=$dist/files

fail() {
    echo "sign-update-files: $*" >&2
    exit 1
}

command -v openssl >/dev/null || fail "openssl is needed"
[ -f "$files/latest.txt" ] || fail "$files/latest.txt: missing"
[ -r "$key" ] || fail "$key: cannot be read"
[ -n "$expected" ] || fail "the programs were built without an update key (SUMWISE_UPDATE_PUBLIC_KEY is empty)"
[[ "$expected" =~ ^[0-9a-f]{64}$ ]] || fail "the expected public key is not 64 hexadecimal digits: $3"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The raw public key is the last 32 bytes of its DER form.
openssl pkey -in "$key" -pubout -out "$work/public.pem" 2>/dev/null || fail "$key: not a private key openssl reads"
openssl pkey -pubin -in "$work/public.pem" -outform DER -out "$work/public.der" 2>/dev/null
actual=$(tail -c 32 "$work/public.der" | od -An -v -tx1 | tr -d ' \n')
[ "$(head -c 12 "$work/public.der" | od -An -v -tx1 | tr -d ' \n')" = 302a300506032b6570032100 ] ||
    fail "$key: not an Ed25519 key"
[ "$actual" = "$expected" ] ||
    fail "$key has the public key $actual, but the programs were built with $expected"

for name in latest.txt beta.txt; do
    file=$files/$name
    [ -f "$file" ] || continue
    openssl pkeyutl -sign -rawin -inkey "$key" -in "$file" -out "$work/signature.bin" ||
        fail "$file: openssl could not sign it"
    hex=$(od -An -v -tx1 "$work/signature.bin" | tr -d ' \n')
    [ ${#hex} -eq 128 ] || fail "$file: the signature is not 64 bytes"
    # Check what is published: the hex text read back into bytes.
    printf '%s' "$hex" | sed 's/../\\x&/g' | xargs -0 printf '%b' > "$work/published.bin"
    openssl pkeyutl -verify -pubin -inkey "$work/public.pem" -rawin -in "$file" -sigfile "$work/published.bin" \
        >/dev/null || fail "$file: the signature does not verify"
    printf '%s\n' "$hex" > "$file.sig"
    echo "signed $file -> $file.sig"
done
