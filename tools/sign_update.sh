#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Signs a program for the version server.
#   tools/sign_update.sh PRIVATE_KEY_FILE PROGRAM VERSION
# Writes PROGRAM.sig, to be published beside PROGRAM (its address + ".sig").
# VERSION is the version the server announces for it, exactly as written in
# its {TunewellVerSion} tag. The signature covers that version and the
# program's SHA-256, so a program signed as one version cannot be offered as
# another. The file holds two lines:
#   version=<VERSION>
#   ed25519=<128 hex digits: the Ed25519 signature of the statement below>
# and the statement signed is, byte for byte,
#   "Tunewell update\nversion=<VERSION>\nsha256=<64 lower-case hex digits>\n"
set -euo pipefail
if [ $# -ne 3 ]; then
  echo "usage: tools/sign_update.sh PRIVATE_KEY_FILE PROGRAM VERSION" >&2
  exit 2
fi
key_file=$1 program=$2 version=$3
if ! [[ $version =~ ^[A-Za-z0-9._-]{1,32}$ ]]; then
  echo "sign_update.sh: a version is 1 to 32 letters, digits, '.', '-' or '_'" >&2
  exit 2
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
hash=$(sha256sum "$program" | cut -d' ' -f1)
printf 'Tunewell update\nversion=%s\nsha256=%s\n' "$version" "$hash" > "$work/statement"
openssl pkeyutl -sign -inkey "$key_file" -rawin -in "$work/statement" -out "$work/signature"
{
  printf 'version=%s\n' "$version"
  printf 'ed25519=%s\n' "$(od -An -v -tx1 "$work/signature" | tr -d ' \n')"
} > "$program.sig"
echo "signed $program as $version: $program.sig"
