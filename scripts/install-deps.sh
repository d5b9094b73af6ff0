#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, but only
# those that are missing, so a second run costs a few dpkg queries.
set -euo pipefail

packages=(
  cmake ninja-build make g++ pkg-config dpkg-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 fonts-wine xvfb xdotool x11-utils imagemagick fonts-wqy-microhei
  libjpeg62-turbo-dev libjpeg-turbo-progs libmpg123-dev mpg123 lame
  googletest libgtest-dev python3 libasound2-plugins alsa-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

need_src=0
grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ /etc/apt/sources.list || need_src=1

if [ ${#missing[@]} -eq 0 ] && [ $need_src -eq 0 ]; then
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages: ${missing[*]}; run as root to install them" >&2
  exit 1
fi

# The Windows builds of libjpeg-turbo and mpg123 come from Debian's source packages.
if [ $need_src -eq 1 ] && [ -f /etc/apt/sources.list.d/debian.sources ]; then
  sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
    > /etc/apt/sources.list.d/debian-src.sources
fi

export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
