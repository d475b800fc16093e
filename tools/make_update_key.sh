#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes an Ed25519 key pair for signing program updates (a release key; a
# build without one makes its own in the build folder).
#   tools/make_update_key.sh [PRIVATE_KEY_FILE]   (default: update-key.pem)
# Writes the private key (PEM, mode 0600) and prints the public key as the
# 64 hex digits the build takes:
#   cmake -DTUNEWELL_UPDATE_PUBLIC_KEY=<hex> ...
# Sign each published program, as the version the server announces, with
#   tools/sign_update.sh update-key.pem Tunewell 2.6      (writes Tunewell.sig)
# or let the demo site sign what it serves: tunewell-demo-site --sign-key update-key.pem
set -euo pipefail
key_file=${1:-update-key.pem}
if [ -e "$key_file" ]; then
  echo "make_update_key.sh: $key_file exists; not overwriting it" >&2
  exit 1
fi
(umask 077 && openssl genpkey -algorithm ed25519 -out "$key_file")
# The DER public key ends with the 32 raw key bytes.
public_hex=$(openssl pkey -in "$key_file" -pubout -outform DER | tail -c 32 | od -An -tx1 | tr -d ' \n')
echo "private key: $key_file"
echo "TUNEWELL_UPDATE_PUBLIC_KEY=$public_hex"
