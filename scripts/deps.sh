#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only when missing.
# Extra package names on the command line are installed the same way.
set -euo pipefail

pkgs=(cmake g++ make pkg-config libsdl1.2-dev libsdl-mixer1.2-dev libvorbis-dev
      libsdl-ttf2.0-dev fonts-dejavu-core zlib1g-dev libgtest-dev libbenchmark-dev "$@")

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
# Another install may hold the lock for a while (a second build, an unattended upgrade).
lock=(-o DPkg::Lock::Timeout=600)
$sudo apt-get "${lock[@]}" update -qq
$sudo apt-get "${lock[@]}" install -y -qq --no-install-recommends "${missing[@]}"
