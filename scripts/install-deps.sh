#!/bin/bash
# Installs the Debian packages that building and testing Netpeek need, only those missing.
# Wine's 32-bit loader is installed where the kernel can run it; elsewhere Wine's 64-bit one.
# prometheus brings promtool, Prometheus' own checker of the metrics files the tests make.
set -eu
here=$(cd "$(dirname "$0")" && pwd)

packages=(cmake make binutils g++ googletest g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
          wine fonts-wine xvfb xdotool imagemagick iproute2 procps x11-utils python3 python3-yaml
          prometheus)
# `install-deps.sh bench` adds what the benchmarks need.
[ "${1:-}" = bench ] && packages+=(libbenchmark-dev)
if "$here/runs-32bit.sh"; then
    packages+=(wine32:i386)
    need_i386=1
else
    packages+=(wine64)
    need_i386=0
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" = 0 ]; then sudo=(); else sudo=(sudo); fi
echo "Installing: ${missing[*]}"
if [ "$need_i386" = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo[@]}" dpkg --add-architecture i386
fi
# A mirror caught mid-sync fails one index; the others are still read, so the install goes on.
"${sudo[@]}" apt-get update -qq || echo "install-deps: an index could not be read; going on with the others" >&2
install() {
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@" "${missing[@]}"
}
# Without the security index of one architecture, 32-bit libraries can find no version to match
# their 64-bit twins' security updates; the release's own versions match across both.
if ! install; then
    . /etc/os-release
    echo "install-deps: installing from ${VERSION_CODENAME} itself" >&2
    install -t "$VERSION_CODENAME"
fi
