#!/usr/bin/env bash
# Installs the Debian 12 packages that build, test and run Nivora.
set -euo pipefail
packages=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libgl-dev libjpeg62-turbo-dev
          googletest libgtest-dev libgmock-dev libbenchmark-dev xdg-utils
          libglib2.0-bin
          fonts-dejavu-core fonts-noto-core fonts-noto-mono fonts-liberation2)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
