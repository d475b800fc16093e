#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The main job: installs what is missing, builds, starts the demo site on
# 127.0.0.1 and shows Tunewell working against it. With a display the
# window opens on the demo site; without one the command-line front end
# lists a chart and downloads two of its songs.
#
# usage: tools/demo.sh [--replace-config]
# The command-line demo needs its own settings in build/Config.ini. A
# Config.ini already there that holds other settings is kept: asked about
# on a terminal, replaced without asking only with --replace-config; when
# it is kept, the demo runs a copy of tunewell-cli in build/demo-cli with
# the demo's settings beside it.
set -euo pipefail
cd "$(dirname "$0")/.."
replace_config=0
for arg in "$@"; do
  case "$arg" in
    --replace-config) replace_config=1 ;;
    *) echo "usage: tools/demo.sh [--replace-config]" >&2; exit 2 ;;
  esac
done
# shellcheck source=lib/demo_site.sh
source tools/lib/demo_site.sh

bash tools/install_deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"

demo_out=$(mktemp)
trap 'stop_demo_site "${demo_site_pid:-}"; rm -f "$demo_out"' EXIT
start_demo_site ./build/tunewell-demo-site "$demo_out" ||
  { echo "demo: the demo site did not start; nothing was run" >&2; exit 1; }
export http_proxy="$demo_site_proxy" no_proxy="" NO_PROXY=""
echo "demo site: $http_proxy"
# The host names this build was configured with.
music_host=$(./build/tunewell-demo-site --print-hosts | sed -n 's/^music_host=//p')

if [ -x build/Tunewell ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  ./build/Tunewell
  exit 0
fi

[ -x build/Tunewell ] && echo "No display here: running the command-line demo instead."
save_dir="$PWD/build/demo-songs"
mkdir -p "$save_dir"
demo_settings() { printf '[Config]\r\nSavePath=%s\r\nGetPage=3\r\n' "$save_dir"; }

# Whether build/Config.ini may hold the demo's settings: yes when it is
# missing or already holds them, or when the user says so.
may_write_config() {
  local config=build/Config.ini answer
  [ -e "$config" ] || return 0
  cmp -s "$config" <(demo_settings) && return 0
  [ "$replace_config" = 1 ] && return 0
  if [ -t 0 ]; then
    read -r -p "$config holds settings of yours. Replace them with the demo's (SavePath=$save_dir, GetPage=3)? [y/N] " answer
    [[ "$answer" == [yY]* ]] && return 0
  fi
  echo "Keeping $config (tools/demo.sh --replace-config replaces it)."
  return 1
}
cli=./build/tunewell-cli
if may_write_config; then
  demo_settings >build/Config.ini
else
  # Config.ini lives beside the program: a copy elsewhere has its own.
  mkdir -p build/demo-cli
  cp build/tunewell-cli build/demo-cli/
  demo_settings >build/demo-cli/Config.ini
  cli=./build/demo-cli/tunewell-cli
fi

chart="http://$music_host/music/chart/"
echo "== tunewell-cli list $chart (three pages)"
"$cli" list "$chart"
echo "== tunewell-cli download $chart 1,2"
"$cli" download "$chart" 1,2
echo "== saved in $save_dir:"
ls -l "$save_dir"
