#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian 12 packages the build, tests and demo need (as root).
set -euo pipefail
packages=(
  cmake g++ make pkg-config
  libcurl4-openssl-dev libssl-dev openssl libicu-dev nlohmann-json3-dev libcpp-httplib-dev libtag1-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  qt6-base-dev qt6-translations-l10n libgl-dev aria2
  xvfb xauth fonts-wqy-microhei
  dpkg-dev file appstream groff-base python3
  debhelper lintian ccache
)
# shellcheck source=lib/packages.sh
source "$(dirname "$0")/lib/packages.sh"
install_missing_packages "${packages[@]}"
