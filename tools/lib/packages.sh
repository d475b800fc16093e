# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Sourced by the scripts that install what they need from Debian's
# packages. Messages go through the function named by $packages_log (the
# caller's log() by default) when there is one.

# The command prefix apt-get needs here: nothing as root, sudo otherwise.
packages_sudo() { if [ "$(id -u)" -ne 0 ]; then echo sudo; fi; }

# Installs those of the named packages that are not installed yet; the
# package lists are updated only when the first attempt fails (a fresh
# system has none, a stale one names versions its mirror no longer has).
install_missing_packages() {
  local missing=() p sudo
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if declare -F "${packages_log:-log}" >/dev/null; then
    "${packages_log:-log}" "installing ${missing[*]}"
  else
    echo "installing ${missing[*]}" >&2
  fi
  sudo="$(packages_sudo)"
  # $sudo is empty or one word.
  if ! DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"; then
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}
