#!/bin/sh
# Installs, as root from Debian's archive, every package listed in tools/packages/*.txt that the
# machine lacks. Does nothing when all are present.
set -eu
cd "$(dirname "$0")/packages"
packages=$(cat ./*.txt | sed 's/#.*//' | tr -s ' \t\n' ' ')
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "installing:$missing"
if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: run as root to install:$missing" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
# A package of another architecture (NAME:i386) needs that architecture known to dpkg.
for arch in $(printf '%s\n' $missing | sed -n 's/^[^:]*:\(.*\)$/\1/p' | sort -u); do
  dpkg --print-architecture | grep -qx "$arch" || dpkg --print-foreign-architectures |
    grep -qx "$arch" || dpkg --add-architecture "$arch"
done
apt-get update -qq
# shellcheck disable=SC2086
apt-get install -y -qq --no-install-recommends $missing
