#!/usr/bin/env bash
# Installs the Debian 12 packages Pellimar needs to build, run and test.
set -euo pipefail
packages=(gcc g++ cmake ninja-build qt6-base-dev libjpeg62-turbo-dev libpng-dev
          libgtest-dev libgmock-dev libbenchmark-dev nsis fonts-dejavu-core xvfb xauth
          desktop-file-utils appstream dpkg-dev qt6-tools-dev qt6-l10n-tools
          qt6-translations-l10n locales
          lintian binutils xdg-utils libglib2.0-bin shared-mime-info file fonts-wine mailcap
          bash-completion zsh fish tumbler dbus-daemon pkg-config libxcursor-dev
          python3 python3-pytest python3-icoextract python3-dask python3-distributed icoutils)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# A Turkish locale, whose letter-case rules ("i" -> "I" with a dot) the tests of
# the file-name helpers run under.
if ! locale -a 2>/dev/null | grep -qi '^tr_TR\.utf-\?8$'; then
  localedef -i tr_TR -f UTF-8 tr_TR.UTF-8 || echo "tr_TR.UTF-8 could not be made; those tests skip" >&2
fi
