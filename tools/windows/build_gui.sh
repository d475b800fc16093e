#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The windowed half of the Windows edition, run after tools/build_windows.sh
# has built the core into build-windows/: builds Qt for MinGW (once, into
# the cache, tools/windows/build_qt.sh), adds it to that build, builds
# Tunewell.exe and UpDate.exe with their DLLs beside them, and makes
# build-windows/Tunewell-<version>-setup.exe and -portable.zip.
# TUNEWELL_WINDOWS_GUI=0 leaves the windows out (the Qt build takes about
# 40 CPU-minutes the first time; later runs reuse it).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$root/build-windows"
log() { printf '[build_gui] %s\n' "$*" >&2; }
# shellcheck source=build_host.sh
source "$root/tools/windows/build_host.sh"

if [ "${TUNEWELL_WINDOWS_GUI:-1}" = 0 ]; then
  log "the windows are not built (TUNEWELL_WINDOWS_GUI=0)"
  exit 0
fi
[ -f "$build/CMakeCache.txt" ] || { log "run tools/build_windows.sh first"; exit 1; }
started=$SECONDS

install_missing_packages nsis python3

qt="$(nice -n 10 bash "$root/tools/windows/build_qt.sh")"
log "Qt for MinGW: $qt"

# The library folders build_windows.sh gave the build, with Qt's added once.
prefixes="$(sed -n 's/^TUNEWELL_WINDOWS_PREFIXES:[A-Z]*=//p' "$build/CMakeCache.txt")"
case ";$prefixes;" in
  *";$qt;"*) ;;
  *) prefixes="$prefixes;$qt" ;;
esac
export CCACHE_BASEDIR="$root"
# `offline`: http_proxy and the other proxy variables on a closed port of
# 127.0.0.1 for everything the build starts (build_host.sh).
offline cmake -S "$root" -B "$build" "-DTUNEWELL_WINDOWS_PREFIXES=$prefixes" -DTUNEWELL_WITH_GUI=ON \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >/dev/null
offline cmake --build "$build" -j"$(nproc)"
offline cmake --build "$build" --target windows_packages
log "done after $((SECONDS - started)) s: $build/Tunewell.exe, $build/UpDate.exe," \
    "$(cd "$build" && printf '%s ' Tunewell-*-setup.exe Tunewell-*-portable.zip)"
