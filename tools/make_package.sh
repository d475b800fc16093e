#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian source and binary packages from debian/ with
# dpkg-buildpackage, in a build folder of their own (build-deb by default,
# relative to the checkout or absolute), and prints the .deb's path as its
# last line.
#   tools/make_package.sh [BUILD_FOLDER]
# The checkout's tracked files, as they are in the working tree, are copied
# to BUILD_FOLDER/tunewell-<version>; the packages land in BUILD_FOLDER.
# SOURCE_DATE_EPOCH is the last commit's time unless given, so two builds of
# one commit give the same bytes (tools/check_reproducible.sh). The tests
# are left out (DEB_BUILD_OPTIONS=nocheck) unless DEB_BUILD_OPTIONS is
# given. A release passes its settings through the environment:
#   TUNEWELL_MUSIC_HOST=... TUNEWELL_VERSION_SERVER=https://... \
#   TUNEWELL_FILE_HOST_DOMAIN=... TUNEWELL_UPDATE_PUBLIC_KEY=<hex> \
#   [TUNEWELL_VERSION_CHECK=OFF] tools/make_package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=lib/packages.sh
source tools/lib/packages.sh
checkout=$PWD
build=${1:-build-deb}
mkdir -p "$build"
build=$(cd "$build" && pwd)

version=$(dpkg-parsechangelog -S Version)
upstream=${version%-*}
source_folder=$build/tunewell-$upstream
rm -rf "$source_folder"
rm -f "$build"/tunewell_"$upstream"[.-]* "$build"/tunewell-dbgsym_"$upstream"-*
mkdir -p "$source_folder"
if git -C "$checkout" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git -C "$checkout" ls-files -z | tar -C "$checkout" --null --ignore-failed-read -T - -cf - 2>/dev/null |
    tar -C "$source_folder" -xf -
  : "${SOURCE_DATE_EPOCH:=$(git -C "$checkout" log -1 --format=%ct)}"
  export SOURCE_DATE_EPOCH
else
  tar -C "$checkout" --exclude='./build*' --exclude=./.git -cf - . | tar -C "$source_folder" -xf -
  : "${SOURCE_DATE_EPOCH:=$(dpkg-parsechangelog -S Timestamp)}"
  export SOURCE_DATE_EPOCH
fi

# The upstream tarball: the tree without debian/, the same bytes for the
# same files and SOURCE_DATE_EPOCH.
tar -C "$build" --sort=name --owner=0 --group=0 --numeric-owner --mode=go-w \
  --mtime="@$SOURCE_DATE_EPOCH" --clamp-mtime \
  --exclude="tunewell-$upstream/debian" -cf - "tunewell-$upstream" | xz -6 -T1 >"$build/tunewell_$upstream.orig.tar.xz"

export DEB_BUILD_OPTIONS=${DEB_BUILD_OPTIONS-nocheck}
case " $DEB_BUILD_OPTIONS " in
  *" nocheck "*) export DEB_BUILD_PROFILES="${DEB_BUILD_PROFILES:+$DEB_BUILD_PROFILES }nocheck" ;;
esac
case " $DEB_BUILD_OPTIONS " in
  *" parallel="*) ;;
  *) DEB_BUILD_OPTIONS="$DEB_BUILD_OPTIONS parallel=$(nproc)" ;;
esac
# The compiler cache, where there is one (a packager's build has none).
if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$build}
  # Named now: debhelper gives the build a HOME of its own, and a cache
  # found through it would start empty each time.
  CCACHE_DIR=${CCACHE_DIR:-$(ccache --get-config cache_dir)}
  export CCACHE_DIR
fi
export TUNEWELL_MUSIC_HOST TUNEWELL_VERSION_SERVER TUNEWELL_FILE_HOST_DOMAIN TUNEWELL_UPDATE_PUBLIC_KEY \
  TUNEWELL_VERSION_CHECK

# Missing build dependencies are installed when this runs as root.
cd "$source_folder"
if ! unmet=$(dpkg-checkbuilddeps 2>&1); then
  packages=$(sed -n 's/.*Unmet build dependencies: //p' <<<"$unmet" |
    sed -e 's/([^)]*)//g' -e 's/debhelper-compat/debhelper/' -e 's/<[^>]*>//g' -e 's/|[^ ]*//g')
  if [ "$(id -u)" -ne 0 ] || [ -z "$packages" ]; then
    echo "$unmet" >&2
    exit 1
  fi
  # shellcheck disable=SC2086
  install_missing_packages $packages >&2
fi

if ! dpkg-buildpackage -us -uc >"$build/build.log" 2>&1; then
  tail -n 40 "$build/build.log" >&2
  echo "make_package.sh: dpkg-buildpackage failed; the whole log is $build/build.log" >&2
  exit 1
fi
echo "$build/tunewell_${version}_$(dpkg --print-architecture).deb"
