# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Sourced by the scripts that point our programs at the demo site
# (build/tunewell-demo-site): it is their http_proxy, so nothing they ask
# for leaves 127.0.0.1.

# start_demo_site SITE OUT [OPTION...]: starts the demo site program SITE
# on a free port of 127.0.0.1 with the given options, its output in the file
# OUT, and waits until it gives its address, at most DEMO_SITE_TIMEOUT
# seconds (20 by default). Sets demo_site_pid (the caller ends it by this id)
# and demo_site_proxy (http://127.0.0.1:PORT). Fails with a message saying
# why when the site ends, gives no address in time, or one that is not on
# 127.0.0.1; a site that is still running then is ended.
start_demo_site() {
  local site="$1" out="$2"
  shift 2
  local timeout="${DEMO_SITE_TIMEOUT:-20}" waited=0
  demo_site_pid=""
  demo_site_proxy=""
  if [ ! -x "$site" ]; then
    echo "demo site: no $site: build it first" >&2
    return 1
  fi
  # Emptied first: an address left in OUT by an earlier site must not be
  # taken for this one's before the new site has truncated the file.
  : >"$out"
  "$site" --port 0 "$@" >"$out" &
  demo_site_pid=$!
  # Tenths of a second, so that a quick start is not kept waiting.
  while ! grep -q '^http_proxy=' "$out"; do
    if ! kill -0 "$demo_site_pid" 2>/dev/null; then
      wait "$demo_site_pid" 2>/dev/null || true
      echo "demo site: $site ended before it gave its address" >&2
      demo_site_pid=""
      return 1
    fi
    if [ "$waited" -ge $((timeout * 10)) ]; then
      echo "demo site: $site gave no address within ${timeout} s (DEMO_SITE_TIMEOUT sets the limit); ended it" >&2
      stop_demo_site "$demo_site_pid"
      demo_site_pid=""
      return 1
    fi
    sleep 0.1
    waited=$((waited + 1))
  done
  demo_site_proxy="$(sed -n 's/^http_proxy=//p' "$out")"
  if [[ "$demo_site_proxy" != http://127.0.0.1:* ]]; then
    echo "demo site: its address '$demo_site_proxy' is not on 127.0.0.1; ended it" >&2
    stop_demo_site "$demo_site_pid"
    demo_site_pid=""
    demo_site_proxy=""
    return 1
  fi
}

# stop_demo_site PID: ends a demo site this script started, by its id.
stop_demo_site() {
  [ -n "${1:-}" ] || return 0
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}
