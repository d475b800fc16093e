#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Downloads the same 20 songs over a simulated distant link with
# tunewell-cli (one after another, and with --jobs), with curl (one process
# for all files, which keeps its connection; once for the songs alone, once
# also fetching the list page and the play page first, the two requests
# tunewell makes before the songs) and with aria2c -j5 (likewise once with
# curl fetching the two pages first), in one run, and
# prints the times, the ratios against the goals and the machine's load. Every file must arrive whole: the songs' checksums are compared
# across the tools.
#
# usage: bench/distant_link.sh [BUILD_DIR]
# environment: RUNS (default 1; the median of the runs is reported),
#   JOBS (default 5; 0 skips the side-by-side run), RTT_MS (300),
#   CONNECTION_RATE (1000000 B/s), LINE_RATE (4000000 B/s), SONGS (20),
#   SONG_BYTES (307200).
# Everything goes through the local link server given as http_proxy:
# nothing leaves 127.0.0.1.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
runs=${RUNS:-1}
jobs=${JOBS:-5}
songs=${SONGS:-20}
for tool in curl aria2c sha256sum; do
  command -v "$tool" >/dev/null || { echo "distant_link: $tool is missing" >&2; exit 1; }
done
for program in bench/distant_link_server tunewell-cli; do
  [ -x "$build/$program" ] || { echo "distant_link: build $build/$program first" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tw-distant-XXXXXX")
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

"$build/bench/distant_link_server" --rtt-ms "${RTT_MS:-300}" --connection-rate "${CONNECTION_RATE:-1000000}" \
  --line-rate "${LINE_RATE:-4000000}" --songs "$songs" --song-bytes "${SONG_BYTES:-307200}" \
  >"$work/server.out" 2>"$work/server.err" &
server_pid=$!
for _ in $(seq 100); do
  [ "$(grep -c '^song=' "$work/server.out" 2>/dev/null)" = "$songs" ] && break
  sleep 0.1
done
proxy=$(sed -n 's/^http_proxy=//p' "$work/server.out")
list=$(sed -n 's/^list=//p' "$work/server.out")
play=$(sed -n 's/^play=//p' "$work/server.out")
sed -n 's/^song=//p' "$work/server.out" >"$work/songs.txt"
{ [ -n "$proxy" ] && [ "$(wc -l <"$work/songs.txt")" = "$songs" ]; } || { echo "distant_link: no server" >&2; exit 1; }
export http_proxy=$proxy HTTP_PROXY=$proxy
unset https_proxy HTTPS_PROXY all_proxy ALL_PROXY no_proxy NO_PROXY

# A private copy of tunewell-cli, so its Config.ini (beside the program)
# is this script's own.
mkdir -p "$work/program"
cp "$build/tunewell-cli" "$work/program/"

now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.3f\n", b - a }'; }

# Each runner downloads into the folder $1 and prints its seconds.
run_tunewell() {  # $1 folder, $2 jobs (1: the one-after-another run)
  printf '[Config]\r\nListUrl=%s\r\nSavePath=%s\r\nGetPage=1\r\nAddID=0\r\n' "$list" "$1" \
    >"$work/program/Config.ini"
  chmod 600 "$work/program/Config.ini"  # as the program leaves it after its first save
  local extra=()
  [ "$2" -gt 1 ] && extra=(--jobs "$2")
  local start; start=$(now)
  "$work/program/tunewell-cli" download "$list" all "${extra[@]}" >/dev/null 2>"$work/tunewell.err" ||
    { cat "$work/tunewell.err" >&2; return 1; }
  since "$start"
}
run_curl() {  # $1 folder, $2 "pages": the list and play pages first
  local args=() i=0
  [ "${2:-}" = pages ] && args+=(-o "$work/list.html" "$list" -o "$work/play.html" "$play")
  while read -r url; do
    i=$((i + 1))
    args+=(-o "$1/$i.mp3" "$url")
  done <"$work/songs.txt"
  local start; start=$(now)
  curl -sSf --proxy "$proxy" "${args[@]}"
  since "$start"
}
run_aria2() {  # $1 folder, $2 "pages": curl fetches the list and play pages first
  local start; start=$(now)
  [ "${2:-}" = pages ] && curl -sSf --proxy "$proxy" -o "$work/list.html" "$list" -o "$work/play.html" "$play"
  aria2c -q -j5 -x1 --all-proxy="$proxy" --file-allocation=none --auto-file-renaming=false \
    -d "$1" -i "$work/songs.txt"
  since "$start"
}

# The sorted checksums of a folder's files; every tool must give curl's.
sums() { (cd "$1" && sha256sum -- * | cut -d' ' -f1 | sort); }

declare -A times
names=(tunewell curl curl_pages aria2c_j5 aria2c_j5_pages)
[ "$jobs" -gt 0 ] && names+=(tunewell_jobs)
echo "load before: $(uptime)"
for run in $(seq "$runs"); do
  for name in "${names[@]}"; do
    folder="$work/$name-$run"
    mkdir -p "$folder"
    case $name in
      tunewell) t=$(run_tunewell "$folder" 1) ;;
      tunewell_jobs) t=$(run_tunewell "$folder" "$jobs") ;;
      curl) t=$(run_curl "$folder") ;;
      curl_pages) t=$(run_curl "$folder" pages) ;;
      aria2c_j5) t=$(run_aria2 "$folder") ;;
      aria2c_j5_pages) t=$(run_aria2 "$folder" pages) ;;
    esac
    times[$name]+="$t "
    count=$(find "$folder" -maxdepth 1 -type f ! -name '.*' | wc -l)
    [ "$count" = "$songs" ] || { echo "distant_link: $name saved $count of $songs songs" >&2; exit 1; }
  done
  for name in "${names[@]}"; do
    [ "$(sums "$work/$name-$run")" = "$(sums "$work/curl-$run")" ] ||
      { echo "distant_link: $name's files differ from curl's" >&2; exit 1; }
  done
done
echo "load after:  $(uptime)"

median() { tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
declare -A median_of
for name in "${names[@]}"; do
  median_of[$name]=$(echo "${times[$name]}" | median)
  printf '%-14s %7.2f s   (runs: %s)\n' "$name" "${median_of[$name]}" "${times[$name]}"
done
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
printf 'tunewell / curl (one process):   %s   (goal <= 1.05)\n' \
  "$(ratio "${median_of[tunewell]}" "${median_of[curl]}")"
printf 'tunewell / curl with the pages:  %s\n' "$(ratio "${median_of[tunewell]}" "${median_of[curl_pages]}")"
if [ "$jobs" -gt 0 ]; then
  printf 'tunewell --jobs %s / aria2c -j5:  %s   (goal <= 1.10)\n' "$jobs" \
    "$(ratio "${median_of[tunewell_jobs]}" "${median_of[aria2c_j5]}")"
  printf 'tunewell --jobs %s / aria2c -j5 with the pages:  %s\n' "$jobs" \
    "$(ratio "${median_of[tunewell_jobs]}" "${median_of[aria2c_j5_pages]}")"
fi
echo "every file whole: $songs songs per tool, checksums equal to curl's"
