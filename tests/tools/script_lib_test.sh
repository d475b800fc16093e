#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The scripts' shared functions (tools/lib): starting the demo site with a
# time limit and a message for every way it can fail, installing only
# what is missing, listing folders.
#   script_lib_test.sh BUILD_FOLDER
set -euo pipefail
build=$1
lib="$(cd "$(dirname "$0")/../../tools/lib" && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# shellcheck source=../../tools/lib/demo_site.sh
source "$lib/demo_site.sh"
# shellcheck source=../../tools/lib/packages.sh
source "$lib/packages.sh"
# shellcheck source=../../tools/lib/files.sh
source "$lib/files.sh"

# Stand-ins for a demo site that starts too slowly, ends at once, or gives
# an address elsewhere. Each is one process (exec), so ending it by its id
# ends it all.
standin() { printf '#!/bin/sh\n%s\n' "$2" >"$work/$1"; chmod +x "$work/$1"; }
standin slow 'exec sleep 30'
standin ends 'exit 3'
standin far 'echo http_proxy=http://10.0.0.1:80; exec sleep 30'

# A failed start: false, a message naming the cause, nothing left running.
expect_failed_start() {  # NAME MESSAGE-PART
  local pid_was
  if start_demo_site "$work/$1" "$work/$1.out" 2>"$work/$1.err"; then
    fail "$1: started"
    stop_demo_site "$demo_site_pid"
    return
  fi
  grep -q "$2" "$work/$1.err" || fail "$1: said '$(cat "$work/$1.err")', not '$2'"
  [ -z "$demo_site_pid" ] || fail "$1: left demo_site_pid set"
  [ -z "$demo_site_proxy" ] || fail "$1: left an address"
  pid_was=$(pgrep -f "^sleep 30$" -P $$ || true)
  [ -z "$pid_was" ] || { fail "$1: left $pid_was running"; kill "$pid_was"; }
}
started=$SECONDS
DEMO_SITE_TIMEOUT=1 expect_failed_start slow "gave no address within 1 s"
[ $((SECONDS - started)) -le 5 ] || fail "slow: the time limit was not kept"
expect_failed_start ends "ended before it gave its address"
expect_failed_start far "is not on 127.0.0.1"
expect_failed_start missing "build it first"

# The real site: an address on 127.0.0.1, and stop_demo_site ends it.
if start_demo_site "$build/tunewell-demo-site" "$work/site.out"; then
  [[ "$demo_site_proxy" == http://127.0.0.1:* ]] || fail "the site's address is $demo_site_proxy"
  pid=$demo_site_pid
  stop_demo_site "$pid"
  ! kill -0 "$pid" 2>/dev/null || fail "stop_demo_site left the site running"
else
  fail "the demo site did not start"
fi

# Installing: nothing asked of apt when all is installed; otherwise only the
# missing package, and the lists are updated only after a failed attempt.
mkdir "$work/bin"
cat >"$work/bin/apt-get" <<STUB
#!/bin/sh
echo "\$*" >>"$work/apt.log"
if [ "\$1" = update ]; then touch "$work/updated"; fi
if [ "\$1" = install ] && [ ! -e "$work/updated" ]; then exit 100; fi
STUB
printf '#!/bin/sh\nexec "$@"\n' >"$work/bin/sudo"
chmod +x "$work/bin/apt-get" "$work/bin/sudo"
PATH="$work/bin:$PATH" install_missing_packages bash coreutils 2>/dev/null
[ ! -e "$work/apt.log" ] || fail "apt-get ran with everything installed: $(cat "$work/apt.log")"
PATH="$work/bin:$PATH" install_missing_packages bash tw-no-such-package 2>/dev/null ||
  fail "install_missing_packages failed"
expected="install -y --no-install-recommends tw-no-such-package
update
install -y --no-install-recommends tw-no-such-package"
[ "$(cat "$work/apt.log")" = "$expected" ] || fail "apt-get was asked: $(cat "$work/apt.log")"

# Folder names as ls shows them; the first file a pattern matched.
mkdir "$work/folder"
touch "$work/folder/b" "$work/folder/a b" "$work/folder/.hidden"
[ "$(folder_names "$work/folder")" = "$(printf 'a b\nb')" ] || fail "folder_names: $(folder_names "$work/folder")"
[ "$(first_file "$work"/folder/*)" = "$work/folder/a b" ] || fail "first_file"
! first_file "$work"/folder/none* 2>/dev/null || fail "first_file found a file that is not there"

[ "$failures" -eq 0 ] || exit 1
echo "script library: all checks passed"
