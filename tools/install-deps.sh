#!/usr/bin/env bash
# Installs the Debian 12 packages Pellimar needs to build, run and test.
set -euo pipefail
packages=(g++ cmake ninja-build qt6-base-dev libjpeg62-turbo-dev libpng-dev
          libgtest-dev libgmock-dev libbenchmark-dev nsis fonts-dejavu-core xvfb xauth
          desktop-file-utils appstream dpkg-dev qt6-tools-dev qt6-l10n-tools
          qt6-translations-l10n)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
