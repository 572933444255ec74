#!/bin/sh
# Runs a Windows test program under Wine with a drive letter that stands for
# a disc image, as a CD/DVD drive's raw volume would: the image's bytes are
# what "\\.\X:" reads, and the letter is a CD-ROM drive (its mounted files
# an empty folder). The program finds the letter and the image's path in
# SUMWISE_DISC_LETTER and SUMWISE_DISC_IMAGE. Wine reads its drives when its
# server starts: the server is started again with the drive, and once more
# without it after the run, so run this alone.
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
device="$build_dir/wineprefix/dosdevices/$letter::"
mounted="$build_dir/wineprefix/dosdevices/$letter:"
files="$build_dir/disc-$letter.files"
mkdir -p "$files"
ln -sfn "$image" "$device"
ln -sfn "$files" "$mounted"
drive_type() {
    action=$1
    shift
    "$here/wine-run.sh" "$build_dir" reg "$action" 'HKLM\Software\Wine\Drives' /v "$letter:" "$@" /f \
        </dev/null >/dev/null 2>&1 || true
}
restart_wine() {
    WINEPREFIX="$build_dir/wineprefix" wineserver -k 2>/dev/null || true
    WINEPREFIX="$build_dir/wineprefix" wineserver -w 2>/dev/null || true
    "$here/wine-session.sh" start "$build_dir"
}
drive_type add /d cdrom
restart_wine
trap 'drive_type delete; rm -f "$device" "$mounted" "$image"; rmdir "$files"; restart_wine' EXIT

export SUMWISE_DISC_LETTER="$letter"
export SUMWISE_DISC_IMAGE="Z:$(echo "$image" | tr '/' '\\')"
"$here/wine-run.sh" "$build_dir" "$@"
