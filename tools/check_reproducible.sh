#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian packages twice from the same commit, in two different
# folders (tools/make_package.sh), and checks that every .deb, and the
# source package (.dsc and its tarballs), is the same byte for byte. Prints what differs (diffoscope, where installed, says
# how). The compiler cache may serve the second build; it cannot hide a
# difference in what the build puts into the package.
#   tools/check_reproducible.sh [WORK_FOLDER]     (default: a temporary one)
# WORK_FOLDER keeps both builds (WORK_FOLDER/first, WORK_FOLDER/second/elsewhere).
set -euo pipefail
cd "$(dirname "$0")/.."
work=${1:-}
if [ -z "$work" ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi
mkdir -p "$work"
work=$(cd "$work" && pwd)

first=$(bash tools/make_package.sh "$work/first" | tail -n1)
second=$(bash tools/make_package.sh "$work/second/elsewhere" | tail -n1)
failures=0
for deb in "$(dirname "$first")"/*.deb "$(dirname "$first")"/*.dsc "$(dirname "$first")"/*.tar.xz; do
  other=$(dirname "$second")/$(basename "$deb")
  if [ ! -f "$other" ]; then
    echo "only the first build made $(basename "$deb")" >&2
    failures=$((failures + 1))
  elif cmp -s "$deb" "$other"; then
    echo "same bytes: $(basename "$deb") ($(sha256sum <"$deb" | cut -c1-16))"
  else
    echo "DIFFERENT: $(basename "$deb")" >&2
    if command -v diffoscope >/dev/null; then diffoscope "$deb" "$other" >&2 || true; fi
    failures=$((failures + 1))
  fi
done
[ "$failures" = 0 ] || { echo "check_reproducible.sh: $failures package(s) differ" >&2; exit 1; }
echo "check_reproducible.sh: two builds of $(git rev-parse --short HEAD 2>/dev/null || echo 'this tree') give the same packages"
