#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Yov need, and only
# those that are missing. Safe to run again; used by the README commands and by CI.
set -euo pipefail

packages=(build-essential cmake ninja-build zlib1g-dev qt6-base-dev libqscintilla2-qt6-dev
          libgtest-dev libgmock-dev libbenchmark-dev fonts-dejavu-core xvfb xauth clang
          libclang-rt-14-dev libxcb1-dev libpng-dev libgif-dev imagemagick clang-format
          desktop-file-utils libxml2-utils)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
