#!/usr/bin/env bash
# Puts every Debian package the project needs on this machine: compilers and
# build tools, the libraries the program links, and the tools the tests use to
# check output files and run windows without a display. Safe to run again.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  libwxgtk3.2-dev
  libcdio-dev
  libsox-dev libsox-fmt-base
  portaudio19-dev libasound2-dev libjack-jackd2-dev
  libtag1-dev
  libmp3lame-dev
  libfmt-dev libutfcpp-dev
  libgtest-dev libgmock-dev
  xvfb xauth xdg-user-dirs xdg-utils fonts-dejavu-core openbox
  sox mpg123
  valgrind xdotool
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=()
if [ "$(id -u)" -ne 0 ]; then
  SUDO=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
"${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
