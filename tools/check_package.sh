#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian packages (tools/make_package.sh) and checks them as a
# packager and a user would, without installing anything on this machine:
#  - lintian --pedantic on the source and binary packages (lintian is
#    installed when missing) and appstreamcli validate;
#  - install and remove in a throwaway dpkg root: the program folder goes
#    with the package, leftovers of older versions included;
#  - as root, the installed programs run from /usr (the package's files laid
#    over /usr in a private mount space, writes caught in an upper layer)
#    against the demo site: nothing is written under /usr, Config.ini lands
#    in ~/.config/tunewell and the song in ~/Music; the package's own test
#    (debian/tests) runs there too.
# With --reproducible the packages are built twice, in BUILD_FOLDER/first
# and BUILD_FOLDER/second/elsewhere, and must be the same byte for byte
# (tools/check_reproducible.sh); the first build is then checked. The demo
# site comes from the developer build folder (TUNEWELL_DEMO_BUILD, default
# build; configured and built when missing).
#   tools/check_package.sh [--reproducible] [BUILD_FOLDER]   (default: build-deb)
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=lib/packages.sh
source tools/lib/packages.sh
# shellcheck source=lib/demo_site.sh
source tools/lib/demo_site.sh
reproducible=0
if [ "${1:-}" = --reproducible ]; then
  reproducible=1
  shift
fi
build=${1:-build-deb}
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

if [ "$reproducible" = 1 ]; then
  bash tools/check_reproducible.sh "$build" || fail "two builds of one commit differ"
  deb=$(ls "$build"/first/tunewell_*.deb)
else
  deb=$(bash tools/make_package.sh "$build" | tail -n1)
fi
changes=${deb%.deb}.changes
demo_build=${TUNEWELL_DEMO_BUILD:-build}
[ -f "$demo_build/CMakeCache.txt" ] || cmake -S . -B "$demo_build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$demo_build" --target tunewell-demo-site >/dev/null
echo "package: $deb"

install_missing_packages lintian
echo "== lintian"
lintian_out=$(lintian --display-info --pedantic "$changes" 2>&1 | grep -v 'running with root privileges' || true)
echo "${lintian_out:-(nothing)}"
if grep -qE '^[EW]: ' <<<"$lintian_out"; then fail "lintian reports errors or warnings"; fi

work=$(mktemp -d)
site_pid=""
cleanup() {
  stop_demo_site "$site_pid"
  rm -rf "$work"
}
trap cleanup EXIT

echo "== appstreamcli validate"
dpkg-deb -x "$deb" "$work/files"
appstreamcli validate --no-net "$work"/files/usr/share/metainfo/*.metainfo.xml || fail "metainfo"
for unwanted in usr/bin/tunewell-demo-site update-key; do
  if find "$work/files" -path "*$unwanted*" | grep -q .; then fail "the package holds $unwanted"; fi
done

echo "== install and remove in a throwaway root"
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
in_root() { dpkg --root="$root" --force-script-chrootless --force-depends --log=/dev/null "$@" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; return 1; }; }
in_root -i "$deb"
[ -x "$root/usr/lib/tunewell/Tunewell" ] || fail "Tunewell not installed"
# What an older version left in its folder goes with the package.
touch "$root/usr/lib/tunewell/UpDate.sh" "$root/usr/lib/tunewell/.Config.ini.lock"
in_root -r tunewell
[ ! -e "$root/usr/lib/tunewell" ] || fail "remove left $(ls -A "$root/usr/lib/tunewell")"
in_root -i "$deb"
touch "$root/usr/lib/tunewell/Config.ini"
in_root -P tunewell
[ ! -e "$root/usr/lib/tunewell" ] || fail "purge left $(ls -A "$root/usr/lib/tunewell")"

echo "== the installed programs, run as root from /usr"
if [ "$(id -u)" -ne 0 ] || ! unshare --mount true 2>/dev/null; then
  echo "skipped: needs root and a private mount space"
else
  # The installed programs run only with the demo site on 127.0.0.1 as
  # their http_proxy.
  start_demo_site "$demo_build/tunewell-demo-site" "$work/site" || exit 1
  site_pid=$demo_site_pid
  proxy=$demo_site_proxy
  music_host=$("$demo_build/tunewell-demo-site" --print-hosts | sed -n 's/^music_host=//p')
  mkdir -p "$work/upper" "$work/overlay-work" "$work/home"
  cp -a "$work/files/usr/." "$work/upper/"
  find "$work/upper" | sort >"$work/before"
  # shellcheck disable=SC2016
  unshare --mount sh -c '
    mount -t overlay overlay -o "lowerdir=/usr,upperdir=$1/upper,workdir=$1/overlay-work" /usr || exit 3
    export HOME="$1/home" XDG_CONFIG_HOME= http_proxy="$2" no_proxy= QT_QPA_PLATFORM=offscreen
    unset XDG_CONFIG_HOME
    cd /
    /usr/bin/tunewell-cli list "http://$3/music/chart/" --save >/dev/null 2>"$1/list.err" || echo "list failed" >&2
    /usr/bin/tunewell-cli download "http://$3/music/chart/" 1 >/dev/null 2>"$1/download.err" || echo "download failed" >&2
    timeout -s TERM 5 /usr/bin/tunewell >/dev/null 2>&1 || true
    mkdir -p "$1/autopkgtest"
    AUTOPKGTEST_TMP="$1/autopkgtest" PATH=/usr/bin:/bin sh "$4/debian/tests/cli-download" >"$1/autopkgtest.log" 2>&1 ||
      echo "debian/tests/cli-download failed: $(tail -n 5 "$1/autopkgtest.log")" >&2
  ' sh "$work" "$proxy" "$music_host" "$PWD" 2>"$work/run.err" || fail "could not run the installed programs"
  [ ! -s "$work/run.err" ] || fail "$(cat "$work/run.err")"
  find "$work/upper" | sort >"$work/after"
  written=$(comm -13 "$work/before" "$work/after")
  [ -z "$written" ] || fail "written under /usr: $written"
  [ -f "$work/home/.config/tunewell/Config.ini" ] || fail "no ~/.config/tunewell/Config.ini"
  [ -n "$(find "$work/home/Music" -type f ! -name '.*' 2>/dev/null)" ] || fail "no song in ~/Music: $(cat "$work/download.err")"
fi

if [ "$failures" -ne 0 ]; then
  echo "check_package.sh: $failures check(s) failed" >&2
  exit 1
fi
echo "check_package.sh: the package is clean"
