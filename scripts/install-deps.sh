#!/bin/sh
# Installs the Debian packages the build, the tests and the benchmark need,
# skipping those already there; with the argument "fuzz" also clang and its
# libFuzzer runtime. The openssl program makes the tests' Ed25519 signatures.
# Uses sudo only when not run as root.
set -eu

packages="cmake ninja-build g++ make python3 libgtest-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 xvfb
  zlib1g-dev libssl-dev librhash-dev nsis zip unzip osslsigncode openssl rhash hashdeep libxxhash-dev"
# The BLAKE3 team's program: the tests' oracle and the benchmark's peer for BLAKE3.
packages="$packages b3sum"
if [ "${1:-}" = fuzz ]; then
    packages="$packages clang libclang-rt-14-dev"
fi

missing=""
for package in $packages; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
# shellcheck disable=SC2086
$sudo apt-get install -y -qq --no-install-recommends $missing
