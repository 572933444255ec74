#!/usr/bin/env bash
# scripts/sign-update-files.sh with a key pair made here: the .sig files it
# writes are one line of 128 digits that openssl accepts, a beta.txt is
# signed only when there, and a key other than the programs' is refused.
set -euo pipefail
script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
check() { if ! eval "$1"; then echo "FAILED: $1" >&2; exit 1; fi; }

openssl genpkey -algorithm ed25519 -out "$work/key.pem"
openssl genpkey -algorithm ed25519 -out "$work/other.pem"
openssl pkey -in "$work/key.pem" -pubout -out "$work/public.pem"
public=$(openssl pkey -in "$work/key.pem" -pubout -outform DER | tail -c 32 | od -An -v -tx1 | tr -d ' \n')
verify() {  # FILE: its .sig, read back into bytes, verifies
    printf '%s' "$(cat "$1.sig")" | sed 's/../\\x&/g' | xargs -0 printf '%b' > "$work/sig.bin"
    openssl pkeyutl -verify -pubin -inkey "$work/public.pem" -rawin -in "$1" -sigfile "$work/sig.bin" >/dev/null
}

mkdir -p "$work/dist/files"
printf '1.63.0.0\nSumwise_x64.exe:SHA-256:AB12\n' > "$work/dist/files/latest.txt"
check '"$script" "$work/dist" "$work/key.pem" "$public" >/dev/null'
check 'verify "$work/dist/files/latest.txt"'
check '[ "$(wc -c < "$work/dist/files/latest.txt.sig")" -eq 129 ]'
check 'grep -Eqx "[0-9a-f]{128}" "$work/dist/files/latest.txt.sig"'
check '[ ! -e "$work/dist/files/beta.txt.sig" ]'

printf '1.64.0.0\nSumwise_x64_beta.exe:SHA-256:CD34\n' > "$work/dist/files/beta.txt"
upper=$(printf '%s' "$public" | tr 'a-f' 'A-F')
check '"$script" "$work/dist" "$work/key.pem" "$upper" >/dev/null'
check 'verify "$work/dist/files/latest.txt" && verify "$work/dist/files/beta.txt"'
# A changed file no longer verifies with its old signature.
printf 'x' >> "$work/dist/files/beta.txt"
check '! verify "$work/dist/files/beta.txt"'

# Refused: another key than the programs', no key, no latest.txt; nothing written.
rm "$work/dist/files/"*.sig
check '! "$script" "$work/dist" "$work/other.pem" "$public" 2>/dev/null'
check '! "$script" "$work/dist" "$work/key.pem" "" 2>/dev/null'
check '! "$script" "$work/dist" "$work/key.pem" "${public:1}" 2>/dev/null'
check '! "$script" "$work/nothing" "$work/key.pem" "$public" 2>/dev/null'
check '[ -z "$(ls "$work/dist/files/" | grep sig || true)" ]'
echo "update file signing: all checks passed"
