#!/usr/bin/env bash
# Builds the Debian package in its own build folder (build-deb by default):
# installed under /usr, without self-update (dpkg owns the program file),
# stripped and hardened. Only the packaged programs are built. Prints the
# path of the .deb.
#   tools/make_package.sh [BUILD_FOLDER]
# A release passes its update key through the environment:
#   TUNEWELL_UPDATE_PUBLIC_KEY=<hex> tools/make_package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-deb}
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
      -DTUNEWELL_SELF_UPDATE=OFF -DTUNEWELL_UPDATE_PUBLIC_KEY="${TUNEWELL_UPDATE_PUBLIC_KEY:-}" \
      -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
      "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)" --target Tunewell UpDate tunewell-cli tunewell-docs
(cd "$build" && cpack -G DEB >/dev/null)
ls "$PWD/$build"/tunewell_*.deb
