#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Qt's base module (Core, Gui, Widgets, Test and the Windows platform
# plugin) for MinGW-w64 from Debian's own source of the host's Qt version,
# once, into the Windows library cache:
#   ${TUNEWELL_WINDOWS_CACHE:-~/.cache/tunewell-windows}/qt6-base-<version>
# The host's Qt tools (moc, rcc, uic) are reused through QT_HOST_PATH, which
# is why the version must be the host's. Shared libraries: the programs ship
# the Qt DLLs beside them, which is how the LGPL lets a user swap them.
# Prints the install folder on standard output; everything else goes to
# standard error. Run as root on Debian 12.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cache="${TUNEWELL_WINDOWS_CACHE:-$HOME/.cache/tunewell-windows}"
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
jobs="$(nproc)"
# Bumped whenever the configure line below changes.
recipe=3

log() { printf '[build_qt] %s\n' "$*" >&2; }
# shellcheck source=build_host.sh
source "$root/tools/windows/build_host.sh"

install_packages() {
  install_missing_packages qt6-base-dev qt6-base-dev-tools qt6-translations-l10n ninja-build cmake dpkg-dev mingw-w64
}

fetch_source() {
  local version="$1" upstream="${1#*:}"
  upstream="${upstream%-*}"
  local folder="$cache/src/qt6-base-$upstream"
  if [ ! -d "$folder" ]; then
    enable_sources
    mkdir -p "$cache/src"
    (cd "$cache/src" && apt-get source -q "qt6-base=$version" >&2)
  fi
  echo "$folder"
}

build() {
  local source="$1" prefix="$2" work="$cache/work/qt6-base"
  rm -rf "$prefix"
  # A build cut short (by a session's end, say) with the same recipe goes on
  # where it stopped; any other one starts afresh.
  if [ -f "$work/.recipe" ] && [ "$(cat "$work/.recipe")" = "recipe $recipe" ]; then
    log "continuing the build in $work"
  else
    rm -rf "$work"
    configure "$source" "$prefix" "$work"
    echo "recipe $recipe" >"$work/.recipe"
  fi
  cmake --build "$work" -j"$jobs" >&2
  cmake --install "$work" >&2
  rm -rf "$work"
  echo "recipe $recipe" >"$prefix/.built"
}

configure() {
  local source="$1" prefix="$2" work="$3"
  # Only what the two programs and their tests use. Every third-party
  # library is Qt's bundled copy, so nothing is taken from the build
  # machine. No OpenGL (the windows paint with the raster engine), no
  # network (libcurl does that), no SQL, D-Bus, printing or XML. No tablet
  # events: Debian's source leaves out the Wintab header they need (its
  # licence forbids changes). No DirectWrite 3 font database: without
  # Direct2D, Qt 6.4 builds the platform plugin's call to it but not the
  # database itself; the GDI one, Qt 6.4's default, draws the windows.
  cmake -S "$source" -B "$work" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DBUILD_SHARED_LIBS=ON -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DQT_BUILD_BENCHMARKS=OFF -DQT_GENERATE_SBOM=OFF \
    -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_xml=OFF \
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_testlib=ON \
    -DFEATURE_opengl=OFF -DINPUT_opengl=no -DFEATURE_vulkan=OFF -DFEATURE_direct2d=OFF \
    -DFEATURE_freetype=OFF -DFEATURE_fontconfig=OFF -DFEATURE_harfbuzz=ON \
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF \
    -DFEATURE_system_pcre2=OFF -DFEATURE_system_doubleconversion=OFF \
    -DFEATURE_system_libb2=OFF -DFEATURE_jpeg=OFF -DFEATURE_icu=OFF -DFEATURE_glib=OFF \
    -DFEATURE_sql_sqlite=OFF -DFEATURE_openssl=OFF -DFEATURE_sctp=OFF \
    -DFEATURE_tabletevent=OFF -DFEATURE_directwrite3=OFF >&2
}

main() {
  local started=$SECONDS
  install_packages
  local version upstream
  version="$(dpkg-query -W -f='${Version}' qt6-base-dev)"
  local prefix="$cache/qt6-base-$version"
  if [ -f "$prefix/.built" ] && [ "$(cat "$prefix/.built")" = "recipe $recipe" ]; then
    echo "$prefix"
    return
  fi
  mkdir -p "$cache"
  build "$(fetch_source "$version")" "$prefix"
  log "Qt $version for MinGW built in $((SECONDS - started)) s"
  echo "$prefix"
}

main "$@"
