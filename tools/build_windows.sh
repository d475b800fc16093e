#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds the Windows edition (the core, tunewell-cli.exe and the test
# programs) into build-windows/ with MinGW-w64.
#
# Debian has no MinGW builds of libcurl, OpenSSL or TagLib, so Debian's own
# sources of them are built once for the target into a cache outside the checkout,
# one folder per library and version:
#   ${TUNEWELL_WINDOWS_CACHE:-~/.cache/tunewell-windows}/<name>-<version>
# A folder is complete when its ".built" stamp names the same recipe; a
# second run with the cache filled only builds the project.
# Run as root on Debian 12: it installs packages (among them the locales
# the wine tests need) and, only when a source must be fetched, adds a
# deb-src entry and updates the package lists.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cache="${TUNEWELL_WINDOWS_CACHE:-$HOME/.cache/tunewell-windows}"
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
triplet=x86_64-w64-mingw32
jobs="$(nproc)"
# Bumped whenever a library's build flags below change, so old cache
# folders are rebuilt instead of reused.
recipe=1

log() { printf '[build_windows] %s\n' "$*" >&2; }
# shellcheck source=windows/build_host.sh
source "$root/tools/windows/build_host.sh"


install_packages() {
  install_missing_packages mingw-w64 wine wine64 cmake make perl ccache dpkg-dev locales googletest nlohmann-json3-dev \
    libutfcpp-dev
}

# The version of the source package a binary package is built from, as the
# package lists know it (no deb-src entry needed).
source_version() {
  apt-cache show --no-all-versions "$1" | awk '
    /^Source:/ && NF >= 3 { gsub(/[()]/, "", $3); source = $3 }
    /^Version:/ { version = $2 }
    END { print (source != "" ? source : version) }'
}

# Unpacks Debian's source of `package` at `version` (patches applied) under
# $cache/src and prints the folder.
fetch_source() {
  local package="$1" version="$2" upstream="${2#*:}"
  upstream="${upstream%-*}"
  local folder="$cache/src/$package-$upstream"
  if [ ! -d "$folder" ]; then
    enable_sources
    mkdir -p "$cache/src"
    (cd "$cache/src" && apt-get source -q "$package=$version" >&2) || true
  fi
  # A mirror may hold the upstream tarball but not yet Debian's files of
  # the newest security release: the upstream source then serves.
  local tarball="" candidate
  for candidate in "$cache/src/${package}_$upstream".orig.tar.*; do
    if [ -f "$candidate" ] && [[ "$candidate" != *.asc ]]; then tarball="$candidate"; break; fi
  done
  if [ ! -d "$folder" ] && [ -n "$tarball" ]; then
    log "Debian's files of $package $version are missing; using the upstream tarball"
    mkdir -p "$folder"
    tar -xf "$tarball" -C "$folder" --strip-components=1
  fi
  [ -d "$folder" ] || { log "cannot fetch the source of $package $version"; exit 1; }
  echo "$folder"
}

stamp_ok() { [ -f "$1/.built" ] && [ "$(cat "$1/.built")" = "recipe $recipe" ]; }
stamp() { echo "recipe $recipe" >"$1/.built"; }

# cmake_library NAME SOURCE PREFIX [CMAKE OPTION...]: configures, builds and
# installs a CMake project for the target into PREFIX, then stamps it.
cmake_library() {
  local name="$1" source="$2" prefix="$3"
  shift 3
  rm -rf "$cache/work/$name" "$prefix"
  cmake -S "$source" -B "$cache/work/$name" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache "$@" >&2
  cmake --build "$cache/work/$name" -j"$jobs" >&2
  cmake --install "$cache/work/$name" >&2
  rm -rf "$cache/work/$name"
  stamp "$prefix"
}

build_curl() {
  local prefix="$1" version="$2"
  local source
  source="$(fetch_source curl "$version")"
  log "building libcurl $version"
  # HTTP(S) only, Windows' own TLS (Schannel) with the system's certificate
  # store, a static library and none of the optional compression or name
  # libraries.
  cmake_library curl "$source" "$prefix" \
    -DBUILD_SHARED_LIBS=OFF -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF -DENABLE_MANUAL=OFF \
    -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DCURL_CA_BUNDLE=none -DCURL_CA_PATH=none \
    -DHTTP_ONLY=ON -DCURL_DISABLE_LDAP=ON -DCURL_DISABLE_LDAPS=ON -DCURL_USE_LIBSSH2=OFF \
    -DUSE_NGHTTP2=OFF -DUSE_LIBIDN2=OFF -DUSE_WIN32_IDN=OFF -DCURL_ZLIB=OFF \
    -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DENABLE_UNIX_SOCKETS=OFF
}

build_openssl() {
  local prefix="$1" version="$2"
  local source
  source="$(fetch_source openssl "$version")"
  log "building libcrypto $version"
  rm -rf "$cache/work/openssl" "$prefix"
  mkdir -p "$cache/work/openssl"
  # Only libcrypto: signatures are checked with it; TLS is Schannel's.
  (cd "$cache/work/openssl" &&
    "$source/Configure" mingw64 no-shared no-tests --cross-compile-prefix="$triplet-" \
      --prefix="$prefix" --libdir=lib >&2 &&
    make -j"$jobs" build_generated >&2 &&
    make -j"$jobs" libcrypto.a >&2)
  mkdir -p "$prefix/lib" "$prefix/include"
  cp "$cache/work/openssl/libcrypto.a" "$prefix/lib/"
  cp -r "$source/include/openssl" "$prefix/include/"
  cp "$cache/work/openssl/include/openssl/"*.h "$prefix/include/openssl/"
  rm -rf "$cache/work/openssl"
  stamp "$prefix"
}

build_googletest() {
  local prefix="$1"
  log "building GoogleTest"
  cmake_library googletest /usr/src/googletest "$prefix" -DBUILD_SHARED_LIBS=OFF
}

build_taglib() {
  local prefix="$1" version="$2"
  local source
  source="$(fetch_source taglib "$version")"
  log "building TagLib $version"
  # A static library without zlib (only compressed ID3v2 frames need it),
  # the C bindings, tests or examples; users define TAGLIB_STATIC. Debian's
  # source takes its UTF-8 helpers (headers only) from libutfcpp-dev.
  cmake_library taglib "$source" "$prefix" -DCMAKE_CXX_FLAGS="-I/usr/include/utf8cpp" \
    -DBUILD_SHARED_LIBS=OFF -DWITH_ZLIB=OFF -DBUILD_BINDINGS=OFF -DBUILD_TESTING=OFF \
    -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF
}

# The JSON library is headers only; a copy keeps the host's /usr/include
# (glibc's headers) out of the target's include path.
copy_json() {
  local prefix="$1"
  rm -rf "$prefix"
  mkdir -p "$prefix/include" "$prefix/share/cmake"
  cp -r /usr/include/nlohmann "$prefix/include/"
  cp -r /usr/share/cmake/nlohmann_json "$prefix/share/cmake/"
  stamp "$prefix"
}

main() {
  local started=$SECONDS
  install_packages
  mkdir -p "$cache"
  local curl_version openssl_version gtest_version json_version taglib_version
  curl_version="$(source_version libcurl4-openssl-dev)"
  taglib_version="$(source_version libtag1-dev)"
  openssl_version="$(source_version libssl-dev)"
  gtest_version="$(dpkg-query -W -f='${Version}' googletest)"
  json_version="$(dpkg-query -W -f='${Version}' nlohmann-json3-dev)"
  local curl="$cache/curl-$curl_version" openssl="$cache/openssl-$openssl_version"
  local gtest="$cache/googletest-$gtest_version" json="$cache/nlohmann-json-$json_version"
  local taglib="$cache/taglib-$taglib_version"
  stamp_ok "$curl" || build_curl "$curl" "$curl_version"
  stamp_ok "$openssl" || build_openssl "$openssl" "$openssl_version"
  stamp_ok "$gtest" || build_googletest "$gtest"
  stamp_ok "$json" || copy_json "$json"
  stamp_ok "$taglib" || build_taglib "$taglib" "$taglib_version"
  log "libraries ready after $((SECONDS - started)) s"
  # The sources also give the licence texts the Windows bundle ships.
  local curl_source openssl_source taglib_source
  curl_source="$(fetch_source curl "$curl_version")"
  openssl_source="$(fetch_source openssl "$openssl_version")"
  taglib_source="$(fetch_source taglib "$taglib_version")"

  export CCACHE_BASEDIR="$root"
  # Our build steps run `offline`: http_proxy and the other proxy variables
  # on a closed port of 127.0.0.1 (build_host.sh).
  offline cmake -S "$root" -B "$root/build-windows" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
    "-DTUNEWELL_WINDOWS_PREFIXES=$curl;$openssl;$gtest;$json;$taglib" \
    -DOPENSSL_ROOT_DIR="$openssl" -DOPENSSL_USE_STATIC_LIBS=TRUE \
    -DTUNEWELL_CURL_SOURCE="$curl_source" -DTUNEWELL_OPENSSL_SOURCE="$openssl_source" \
    -DTUNEWELL_TAGLIB_SOURCE="$taglib_source" >/dev/null
  offline cmake --build "$root/build-windows" -j"$jobs"
  log "done after $((SECONDS - started)) s: $root/build-windows/tunewell-cli.exe"
}

main "$@"
# ---- The windows: Qt for MinGW, Tunewell.exe, UpDate.exe, the installer ----
bash "$root/tools/windows/build_gui.sh"
