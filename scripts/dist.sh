#!/bin/bash
# Writes the release into OUT_DIR from a Windows build:
#   scripts/dist.sh BUILD_DIR OUT_DIR
# BUILD_DIR holds src/app/Sumwise.exe, src/sumwise-cli.exe and
# generated/resources/version.h (the version the programs carry). OUT_DIR gets
# the portable program, the command-line tool, the zip, the Setup, the
# update server's version file and SHA256SUMS. With SUMWISE_SIGN_PFX (and
# SUMWISE_SIGN_PASSWORD) both programs and the Setup are signed first. With
# SUMWISE_UPDATE_SIGNING_KEY (an Ed25519 private key in PEM) the version file
# is signed last, and only with the key whose public half the programs carry.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$here")
build_dir=$(cd "$1" && pwd)
out_dir=$2

version_header="$build_dir/generated/resources/version.h"
version=$(sed -n 's/^#define SUMWISE_VERSION_TEXT "\(.*\)"$/\1/p' "$version_header")
numbers=$(sed -n 's/^#define SUMWISE_VERSION_NUMBERS //p' "$version_header" | tr -d ' ' | tr ',' '.')
if [ -z "$version" ] || [ -z "$numbers" ]; then
    echo "dist: no version in $version_header" >&2
    exit 1
fi

rm -rf "$out_dir"
mkdir -p "$out_dir/files"
out_dir=$(cd "$out_dir" && pwd)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

# Release form: no symbol tables.
x86_64-w64-mingw32-strip -o "$out_dir/Sumwise_x64.exe" "$build_dir/src/app/Sumwise.exe"
x86_64-w64-mingw32-strip -o "$out_dir/sumwise-cli.exe" "$build_dir/src/sumwise-cli.exe"

# Authenticode with SHA-256; the password reaches osslsigncode through a
# private file, not its command line.
sign() {
    osslsigncode sign -pkcs12 "$SUMWISE_SIGN_PFX" -readpass "$stage/password" -h sha256 \
        -n Sumwise -in "$1" -out "$stage/signed.exe" >/dev/null
    mv "$stage/signed.exe" "$1"
}
signing=0
if [ -n "${SUMWISE_SIGN_PFX:-}" ]; then
    signing=1
    (umask 077 && printf '%s' "${SUMWISE_SIGN_PASSWORD:-}" >"$stage/password")
    sign "$out_dir/Sumwise_x64.exe"
    sign "$out_dir/sumwise-cli.exe"
fi

# The zip and the Setup carry the same bytes as the files beside them; the
# texts get Windows line ends.
cp "$out_dir/Sumwise_x64.exe" "$stage/Sumwise.exe"
cp "$out_dir/sumwise-cli.exe" "$stage/sumwise-cli.exe"
sed 's/$/\r/' "$source_dir/README.md" >"$stage/README.txt"
sed 's/$/\r/' "$source_dir/LICENSE" >"$stage/LICENSE.txt"
(cd "$stage" && zip -q -X "$out_dir/Sumwise-$version-x64.zip" Sumwise.exe sumwise-cli.exe README.txt LICENSE.txt)

makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DVERSION_NUMBERS="$numbers" -DPROGRAMS="$stage" \
    -DOUTFILE="$out_dir/SumwiseSetup.exe" "$source_dir/installer/sumwise.nsi" >"$stage/makensis.log" ||
    { cat "$stage/makensis.log" >&2; exit 1; }
if [ "$signing" = 1 ]; then
    sign "$out_dir/SumwiseSetup.exe"
fi

digest() { sha256sum "$1" | cut -d' ' -f1; }
printf '%s\nSumwiseSetup.exe:SHA-256:%s\nSumwise_x64.exe:SHA-256:%s\n' "$version" \
    "$(digest "$out_dir/SumwiseSetup.exe")" "$(digest "$out_dir/Sumwise_x64.exe")" >"$out_dir/files/latest.txt"

# The key the programs were built with, as the build's cache holds it.
built_key=$(sed -n 's/^SUMWISE_UPDATE_PUBLIC_KEY:[A-Z]*=//p' "$build_dir/CMakeCache.txt" 2>/dev/null || true)
signed_files=""
if [ -n "${SUMWISE_UPDATE_SIGNING_KEY:-}" ]; then
    # After Authenticode, which changed the files the version file names.
    "$here/sign-update-files.sh" "$out_dir" "$SUMWISE_UPDATE_SIGNING_KEY" "$built_key" >/dev/null
    signed_files="files/latest.txt.sig"
elif [ -n "$built_key" ]; then
    echo "dist: files/latest.txt is not signed (SUMWISE_UPDATE_SIGNING_KEY is not set): these programs will offer no update from it"
fi
(cd "$out_dir" && sha256sum Sumwise_x64.exe sumwise-cli.exe "Sumwise-$version-x64.zip" SumwiseSetup.exe \
    files/latest.txt $signed_files >SHA256SUMS)

if [ "$signing" = 1 ]; then
    echo "dist: Sumwise $version in $out_dir, signed with $(basename "$SUMWISE_SIGN_PFX")"
else
    echo "dist: Sumwise $version in $out_dir; nothing signed (SUMWISE_SIGN_PFX is not set)"
fi
