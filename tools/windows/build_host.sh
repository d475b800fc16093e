# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Sourced by the Windows build scripts: installing what is missing,
# Debian's source entries, and building without the network. The caller
# defines log().

# Installing what is missing: install_missing_packages.
# shellcheck source=../lib/packages.sh
source "$(dirname "${BASH_SOURCE[0]}")/../lib/packages.sh"
apt_sudo="$(packages_sudo)"

# Source entries are copies of the binary ones with "Types: deb-src", so the
# sources come from the very mirror (or snapshot) the system already uses.
# The package lists are updated once per script.
apt_sources_ready=0
enable_sources() {
  [ "$apt_sources_ready" = 1 ] && return
  if ! grep -qsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/*; then
    local from=/etc/apt/sources.list.d/debian.sources
    [ -f "$from" ] || { log "no $from to copy source entries from"; exit 1; }
    log "adding deb-src entries beside $from"
    sed -E 's/^Types:.*$/Types: deb-src/' "$from" | $apt_sudo tee /etc/apt/sources.list.d/tunewell-deb-src.sources >/dev/null
  fi
  $apt_sudo apt-get update >&2
  apt_sources_ready=1
}

# Runs a build step of ours (configure, compile, package) with every proxy
# variable pointing at a closed port of 127.0.0.1, so nothing it starts can
# reach another machine. apt keeps its own network access: it runs outside.
offline() {
  http_proxy=http://127.0.0.1:9 https_proxy=http://127.0.0.1:9 all_proxy=http://127.0.0.1:9 \
    HTTP_PROXY=http://127.0.0.1:9 HTTPS_PROXY=http://127.0.0.1:9 no_proxy='' NO_PROXY='' "$@"
}
