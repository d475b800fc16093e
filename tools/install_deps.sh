#!/usr/bin/env bash
# Installs the Debian 12 packages the build, tests and demo need (as root).
set -euo pipefail
packages=(
  cmake g++ make pkg-config
  libcurl4-openssl-dev libssl-dev openssl libicu-dev nlohmann-json3-dev libcpp-httplib-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  qt6-base-dev qt6-translations-l10n libgl-dev aria2
  xvfb xauth fonts-wqy-microhei
  dpkg-dev file appstream groff-base python3
  debhelper lintian ccache
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
