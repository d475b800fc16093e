# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Sourced by the scripts that run our programs under wine (the tests, the
# windows, the installer). Gives them a fresh wine prefix made under a
# Chinese locale (code page 936 is the ANSI code page, Chinese fonts and
# texts as on a Chinese Windows), an Xvfb display of their own, and the
# Linux-built demo site as http_proxy, so nothing leaves 127.0.0.1.
# Everything started here is ended by its id (and the prefix's own
# wineserver) when the calling script exits.
#
# After sourcing: $work (a temporary folder, removed at exit), $wine64,
# DISPLAY, WINEPREFIX, http_proxy (the demo site, build/tunewell-demo-site,
# built when missing and started before wine is), $music_host, and the
# step counter: `fail MESSAGE` counts a failed step, `wine_session_verdict
# [LOG...]` ends the script with the count (showing the logs on failure).
# Needs $root; with $wine_session_needs set (a file of the Windows build)
# it stops at once, before any display is made, when that file is missing.

wine_session_log() { printf '[%s] %s\n' "${wine_session_name:-wine}" "$*" >&2; }
: "${root:?wine_session.sh needs \$root, the source tree}"
if [ -n "${wine_session_needs:-}" ] && [ ! -f "$root/$wine_session_needs" ]; then
  wine_session_log "no $wine_session_needs: build the Windows edition first (tools/build_windows.sh)"
  exit 1
fi

failures=0
fail() { wine_session_log "FAILED: $*"; failures=$((failures + 1)); }
wine_session_verdict() {
  if [ "$failures" -gt 0 ]; then
    cat "$@" >&2 || true
    wine_session_log "$failures step(s) failed"
    exit 1
  fi
  wine_session_log "every step passed"
}

# shellcheck source=../lib/packages.sh
source "$root/tools/lib/packages.sh"
# shellcheck source=../lib/demo_site.sh
source "$root/tools/lib/demo_site.sh"

# What the sessions use: a display, clicks and pictures, a Chinese font.
packages_log=wine_session_log install_missing_packages xvfb xdotool imagemagick fonts-wqy-microhei wine64 locales

wine64=/usr/lib/wine/wine64
[ -x "$wine64" ] || wine64="$(command -v wine64 || command -v wine)"

# Wine takes its code pages from the Unix locale, which must exist.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  wine_session_log "generating the zh_CN.UTF-8 locale"
  localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi

work="$(mktemp -d)"
xvfb_pid=""
# The session's demo sites and whatever else a script starts for it (their
# ids), ended with it.
wine_session_pids=()
wine_session_cleanup() {
  WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true
  for wine_session_pid in "${wine_session_pids[@]}"; do
    kill "$wine_session_pid" 2>/dev/null || true
    wait "$wine_session_pid" 2>/dev/null || true
  done
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap wine_session_cleanup EXIT

# Xvfb picks a free display itself and writes its number to fd 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { cat "$work/xvfb.log" >&2; wine_session_log "Xvfb did not start"; exit 1; }
DISPLAY=":$(cat "$work/display")"
export DISPLAY

# Starts a demo site with `--port 0` and the given options, as one of the
# session's processes; sets wine_session_proxy to its address. Fails when
# the site gives no address on 127.0.0.1.
wine_session_site="$root/build/tunewell-demo-site"
wine_session_demo_site() {
  start_demo_site "$wine_session_site" "$work/demo-${#wine_session_pids[@]}.out" "$@" || return 1
  wine_session_pids+=("$demo_site_pid")
  wine_session_proxy="$demo_site_proxy"
}

# Every program of ours started in the session (the tests, the installer,
# the windows) sees the demo site as http_proxy: nothing it asks for leaves
# 127.0.0.1. The session refuses to go on without it.
if [ ! -x "$wine_session_site" ]; then
  CCACHE_BASEDIR="$root" cmake --build "$root/build" -j"$(nproc)" --target tunewell-demo-site >/dev/null ||
    { wine_session_log "no $wine_session_site: build it first"; exit 1; }
fi
wine_session_demo_site ||
  { wine_session_log "the demo site did not start: no local http_proxy"; exit 1; }
export http_proxy="$wine_session_proxy"
export HTTP_PROXY="$http_proxy" no_proxy="" NO_PROXY=""
# shellcheck disable=SC2034  # for the scripts that source this
music_host="$("$wine_session_site" --print-hosts | sed -n 's/^music_host=//p')"
wine_session_log "demo site: $http_proxy"

export WINEPREFIX="$work/prefix" WINEDEBUG=-all LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="
wine_session_log "making a wine prefix on $DISPLAY"
"$wine64" wineboot -i >/dev/null 2>&1
wineserver -w

# Waits up to $2 seconds for a window named $1; prints its X id.
wine_session_window() {
  local id=""
  for _ in $(seq $(( $2 * 4 ))); do
    id="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)" && [ -n "$id" ] && break
    sleep 0.25
  done
  [ -n "$id" ] && echo "$id"
}

# For the update checks: copies the packaged program folder to $1 (the
# folder to be updated) and to $work/另一个/Tunewell (a copy elsewhere that
# must keep running), makes the download $work/new/Tunewell.exe (this
# build's program with the text $2 appended, so its bytes differ) and
# starts a demo site offering it as version 2.6, signed with this build's
# key. Sets $folder, $other, $download and $offer_proxy; fails when any of
# it does.
wine_session_update_offer() {
  local stage="$root/build-windows/stage/Tunewell"
  folder="$1"
  other="$work/另一个/Tunewell"
  download="$work/new/Tunewell.exe"
  mkdir -p "$(dirname "$other")" "$work/new"
  cp -r "$stage" "$folder" && cp -r "$stage" "$other" || return 1
  { cat "$stage/Tunewell.exe"; printf '%s %s\n' "$2" "$$"; } >"$download"
  ! cmp -s "$download" "$stage/Tunewell.exe" || return 1
  wine_session_demo_site --offer-version 2.6 --program "$download" \
    --sign-key "$root/build-windows/update-key/update-key.pem" || return 1
  # shellcheck disable=SC2034  # for the scripts that source this
  offer_proxy="$wine_session_proxy"
}
