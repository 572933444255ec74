#!/bin/sh
# Runs a Windows test program under Wine with a drive letter that stands for
# a disc image, as a CD/DVD drive's raw volume would: the image's bytes are
# what "\\.\X:" reads. The program finds the letter and the image's path in
# SUMWISE_DISC_LETTER and SUMWISE_DISC_IMAGE.
#   scripts/run-with-disc.sh BUILD_DIR LETTER PROGRAM [ARGS...]
set -eu
build_dir=$(cd "$1" && pwd)
letter=$(echo "$2" | tr 'A-Z' 'a-z')
shift 2
here=$(cd "$(dirname "$0")" && pwd)

image="$build_dir/disc-$letter.img"
# A small disc: whole 2048-byte sectors, more than three 512 KiB blocks.
head -c $((2048 * 800)) /dev/urandom > "$image"
"$here/wine-run.sh" "$build_dir" cmd /c exit </dev/null >/dev/null 2>&1 || true
link="$build_dir/wineprefix/dosdevices/$letter::"
ln -sfn "$image" "$link"
trap 'rm -f "$link" "$image"' EXIT

export SUMWISE_DISC_LETTER="$letter"
export SUMWISE_DISC_IMAGE="Z:$(echo "$image" | tr '/' '\\')"
"$here/wine-run.sh" "$build_dir" "$@"
