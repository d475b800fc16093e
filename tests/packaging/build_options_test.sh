#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What the build options leave to a packager, checked by configuring fresh
# build folders (nothing is compiled):
#  - BUILD_TESTING=OFF configures with GoogleTest hidden and never looks
#    for cpp-httplib;
#  - CPPFLAGS/CXXFLAGS replace the default hardening (a fortify level 3 is
#    not lowered to 2); without them the default hardening is there;
#  - TUNEWELL_SELF_UPDATE=OFF makes no update key and compiles none in;
#  - TUNEWELL_VERSION_CHECK=OFF reaches the window's switch.
#   build_options_test.sh SOURCE_FOLDER
set -euo pipefail
source_folder=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

if env -u CPPFLAGS -u LDFLAGS CXXFLAGS="-O2 -g" CPPFLAGS="-D_FORTIFY_SOURCE=3" \
  cmake -S "$source_folder" -B "$work/packager" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DBUILD_TESTING=OFF \
  -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON \
  -DTUNEWELL_SELF_UPDATE=OFF -DTUNEWELL_VERSION_CHECK=OFF >"$work/packager.log" 2>&1; then
  cache=$work/packager/CMakeCache.txt
  commands=$work/packager/compile_commands.json
  ! grep -q HTTPLIB "$cache" || fail "BUILD_TESTING=OFF still looks for cpp-httplib"
  [ ! -e "$work/packager/tests" ] || fail "BUILD_TESTING=OFF still configures the tests"
  grep -q -- '-D_FORTIFY_SOURCE=3' "$commands" || fail "CPPFLAGS not used"
  ! grep -q -- '-D_FORTIFY_SOURCE=2' "$commands" || fail "the default hardening overrides CPPFLAGS"
  grep -q -- '-O2 -g' "$commands" || fail "CXXFLAGS not used"
  [ ! -e "$work/packager/update-key" ] || fail "a key pair made for a build without self-update"
  grep -q 'kUpdatePublicKey = "";' "$work/packager/src/trust/generated/trust/update_key.h" ||
    fail "a build without self-update has a key compiled in"
  grep -q 'kVersionCheck = false;' "$work/packager/src/update/generated/update/version_check_build.h" ||
    fail "TUNEWELL_VERSION_CHECK=OFF does not reach the program"
else
  cat "$work/packager.log" >&2
  fail "BUILD_TESTING=OFF does not configure without GoogleTest"
fi

if env -u CPPFLAGS -u CXXFLAGS -u LDFLAGS cmake -S "$source_folder" -B "$work/plain" \
  -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DCMAKE_BUILD_TYPE=Release >"$work/plain.log" 2>&1; then
  grep -q -- '-D_FORTIFY_SOURCE=2' "$work/plain/compile_commands.json" || fail "no default hardening"
  grep -q -- '-fstack-protector-strong' "$work/plain/compile_commands.json" || fail "no stack protector by default"
  grep -q 'kVersionCheck = true;' "$work/plain/src/update/generated/update/version_check_build.h" ||
    fail "the version check is not on by default"
  [ -s "$work/plain/update-key/update-key.pem" ] || fail "no key pair for a self-updating build"
else
  cat "$work/plain.log" >&2
  fail "the default configure failed"
fi

[ "$failures" = 0 ] || exit 1
echo "build options leave the packager's choices alone"
