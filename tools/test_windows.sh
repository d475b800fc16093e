#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Windows edition (tools/build_windows.sh) and tests it under
# wine, in a fresh wine prefix made under a Chinese locale so that code
# page 936 is the ANSI code page, as on a Chinese Windows:
#  1. every cross-built test program;
#  2. tunewell-cli.exe end to end against the Linux-built demo site: it
#     lists the demo site's pages exactly as the Linux tunewell-cli does,
#     and downloads the same files under the same names into a folder with
#     a Chinese name.
# Nothing leaves 127.0.0.1: every program is pointed at the demo site
# through http_proxy, and the demo site is ended by its id.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
log() { printf '[test_windows] %s\n' "$*" >&2; }

bash tools/build_windows.sh

# The Linux demo site and the Linux front end the Windows one is compared
# with.
bash tools/install_deps.sh
export CCACHE_BASEDIR="$root"
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build build -j"$(nproc)" --target tunewell-demo-site tunewell-cli >/dev/null

# A wine prefix of its own made under a Chinese locale, on an Xvfb display,
# with the demo site started first as http_proxy: $work, $wine64,
# $music_host; all of it ended by id when this script exits.
wine_session_name=test_windows
# shellcheck source=windows/wine_session.sh
source "$root/tools/windows/wine_session.sh"

failed=0
for test in build-windows/tests/test_*.exe; do
  log "$(basename "$test")"
  if ! (cd "$work" && "$wine64" "$root/$test" --gtest_brief=1 >"$work/test.log" 2>&1); then
    cat "$work/test.log" >&2
    log "FAILED: $(basename "$test")"
    failed=1
  fi
done

# End to end: the same list and the same downloads from both front ends,
# each from its own program folder (Config.ini lives beside the program).
chart="http://$music_host/music/chart/"
run_both() {  # run_both NAME ARGS...: leaves $work/NAME.linux and $work/NAME.windows
  local name="$1"
  shift
  (cd "$work/linux" && ./tunewell-cli "$@") >"$work/$name.linux" 2>"$work/$name.linux.err" ||
    { cat "$work/$name.linux" "$work/$name.linux.err" >&2; return 1; }
  # A Windows program ends its lines with CR LF; the text must be the same.
  (cd "$work/windows" && "$wine64" ./tunewell-cli.exe "$@") 2>"$work/$name.windows.err" | tr -d '\r' >"$work/$name.windows" ||
    { cat "$work/$name.windows" "$work/$name.windows.err" >&2; return 1; }
}
config_for() {  # config_for FOLDER SAVEPATH: Config.ini in GBK, as the program writes it
  printf '[Config]\r\nSavePath=%s\r\nGetPage=3\r\n' "$2" | iconv -f UTF-8 -t GBK >"$1/Config.ini"
}
mkdir -p "$work/linux" "$work/windows" "$work/歌曲 linux" "$work/下载的歌曲"
cp build/tunewell-cli "$work/linux/"
cp build-windows/tunewell-cli.exe "$work/windows/"
config_for "$work/linux" "$work/歌曲 linux"
config_for "$work/windows" "$(winepath -w "$work/下载的歌曲")"

e2e=0
log "tunewell-cli list $chart"
if run_both list list "$chart" && cmp -s "$work/list.linux" "$work/list.windows" && [ -s "$work/list.linux" ]; then
  log "the list is the same ($(wc -l <"$work/list.linux") lines)"
else
  diff "$work/list.linux" "$work/list.windows" >&2 || true
  log "FAILED: the lists differ"
  e2e=1
fi
log "tunewell-cli download $chart 1,2,3"
if run_both download download "$chart" 1,2,3; then
  (cd "$work/歌曲 linux" && find . -type f ! -name '.*' | sort | xargs -d '\n' sha256sum) >"$work/files.linux"
  (cd "$work/下载的歌曲" && find . -type f ! -name '.*' | sort | xargs -d '\n' sha256sum) >"$work/files.windows"
  if [ -s "$work/files.linux" ] && cmp -s "$work/files.linux" "$work/files.windows"; then
    log "the same $(wc -l <"$work/files.linux") files under the same names:"
    sed 's/^[0-9a-f]*  \.\//  /' "$work/files.windows" >&2
  else
    diff "$work/files.linux" "$work/files.windows" >&2 || true
    log "FAILED: the downloads differ"
    e2e=1
  fi
else
  log "FAILED: a download run"
  e2e=1
fi

# Name traps: songs whose titles and addresses ask for program files (an
# install script, qt.conf, a Qt DLL, the program itself), Windows device
# names and a title ending in dots and blanks. Saved into the program's own
# folder, beside stand-ins for what a Windows program folder holds, they
# must come out under the same audio names as on Linux, each a file
# Windows opens by its name, and leave every program file as it was.
traps="http://www.$music_host/play.php?song_id=1016,1017,1030,1031,1032,1033,1034,1035,1036,1037,1038,1039"
standins=(Qt6Core.dll qt.conf cmake_install.cmake CMakeCache.txt)
for folder in "$work/linux" "$work/windows"; do
  for standin in "${standins[@]}"; do printf 'stand-in %s\n' "$standin" >"$folder/$standin"; done
done
sha256sum "$work/windows/tunewell-cli.exe" >"$work/program.sum"
log "tunewell-cli download -o <program folder> (name traps)"
if run_both traps download -o . "$traps"; then
  song_names() { (cd "$1" && find . -maxdepth 1 -type f \( -name '*.mp3' -o -name '*.flac' -o -name '*.ogg' \) | sort); }
  song_names "$work/linux" >"$work/traps.linux"
  song_names "$work/windows" >"$work/traps.windows"
  trap_failed=0
  if [ "$(wc -l <"$work/traps.windows")" -ne 12 ] || ! cmp -s "$work/traps.linux" "$work/traps.windows"; then
    diff "$work/traps.linux" "$work/traps.windows" >&2 || true
    log "FAILED: the name traps were not saved under the same 12 names"
    trap_failed=1
  fi
  for standin in "${standins[@]}"; do
    [ "$(cat "$work/windows/$standin")" = "stand-in $standin" ] ||
      { log "FAILED: a song replaced $standin"; trap_failed=1; }
  done
  sha256sum --quiet -c "$work/program.sum" || { log "FAILED: a song replaced tunewell-cli.exe"; trap_failed=1; }
  # Windows itself must open every saved song by its name: a device name
  # would open the device, a name ending in a dot or blank another file.
  while IFS= read -r name; do
    name="${name#./}"
    # (cmd's "type" of CON.mp3 fails: it opens the console device.)
    (cd "$work/windows" && "$wine64" cmd /c type "$name" >/dev/null 2>&1) ||
      { log "FAILED: Windows cannot open $name"; trap_failed=1; }
  done <"$work/traps.windows"
  if [ "$trap_failed" -eq 0 ]; then
    log "the name traps were saved as:"
    sed 's/^\.\//  /' "$work/traps.windows" >&2
  else
    e2e=1
  fi
else
  log "FAILED: the name-trap download"
  e2e=1
fi

# Tags (--tags) into folders with Chinese names: the real MP3 must carry
# its title as a UTF-16 frame, and both editions must save the same bytes
# (the song that holds no MP3 is saved as sent).
tagged="http://www.$music_host/play.php?song_id=1065,1001"
mkdir -p "$work/标签 linux" "$work/带标签的歌曲"
log "tunewell-cli download --tags (into 带标签的歌曲)"
if (cd "$work/linux" && ./tunewell-cli download --tags -o "$work/标签 linux" "$tagged") >/dev/null 2>"$work/tags.linux.err" &&
  (cd "$work/windows" && "$wine64" ./tunewell-cli.exe download --tags -o "$(winepath -w "$work/带标签的歌曲")" "$tagged") \
    >/dev/null 2>"$work/tags.windows.err"; then
  (cd "$work/标签 linux" && find . -type f ! -name '.*' | sort | xargs -d '\n' sha256sum) >"$work/tagged.linux"
  (cd "$work/带标签的歌曲" && find . -type f ! -name '.*' | sort | xargs -d '\n' sha256sum) >"$work/tagged.windows"
  # The title frame's text: encoding 1 (UTF-16), the byte order mark, the title.
  title_hex="01fffe$(printf '有标签的歌' | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 | tr -d ' \n')"
  song="$work/带标签的歌曲/有标签的歌 - 新歌手.mp3"
  if [ "$(wc -l <"$work/tagged.windows")" -eq 2 ] && cmp -s "$work/tagged.linux" "$work/tagged.windows" &&
    [ -f "$song" ] && od -An -tx1 -v "$song" | tr -d ' \n' | grep -q "$title_hex"; then
    log "the tagged songs are the same on both, with the UTF-16 title"
  else
    diff "$work/tagged.linux" "$work/tagged.windows" >&2 || true
    cat "$work/tags.linux.err" "$work/tags.windows.err" >&2
    log "FAILED: the tagged downloads"
    e2e=1
  fi
else
  cat "$work/tags.linux.err" "$work/tags.windows.err" >&2 || true
  log "FAILED: the --tags download"
  e2e=1
fi

# A collection kept with the Windows edition: a second run with
# --skip-saved leaves the saved song as it is (the same file, not a new
# copy renamed over it); --retries 2 saves whole a song whose first two
# requests get 503; --limit-rate 50K takes at least about 4 s for 200 KiB.
collection="$work/收藏的歌曲"
mkdir -p "$collection"
collection_w="$(winepath -w "$collection")"
# Song 1003 is saved by no earlier step (the record would skip it anywhere).
once="http://www.$music_host/play.php?song_id=1003"
plain="http://www.$music_host/play.php?song_id=1001"
cli_windows() { (cd "$work/windows" && "$wine64" ./tunewell-cli.exe "$@") >"$work/collection.out" 2>&1; }
log "tunewell-cli download --skip-saved, --retries 2, --limit-rate 50K (into 收藏的歌曲)"
collection_failed=0
if cli_windows download --skip-saved -o "$collection_w" "$once"; then
  saved="$(find "$collection" -maxdepth 1 -name '雨*' | head -n 1)"
  first_inode="$(stat -c %i "$saved" 2>/dev/null || echo none)"
  if [ -z "$saved" ] || ! cli_windows download --skip-saved -o "$collection_w" "$once" || ! grep -q '已下载过，跳过' "$work/collection.out" ||
    [ "$(stat -c %i "$saved" 2>/dev/null || echo gone)" != "$first_inode" ]; then
    cat "$work/collection.out" >&2
    log "FAILED: the second run with --skip-saved fetched the saved song again"
    collection_failed=1
  fi
else
  cat "$work/collection.out" >&2
  log "FAILED: the first run with --skip-saved"
  collection_failed=1
fi
busy="http://www.$music_host/play.php?song_id=1062"
if cli_windows download --retries 2 -o "$collection_w" "$busy" && grep -q '第2次重试' "$work/collection.out"; then
  # The site answers at once now: the Linux edition's copy is the whole song.
  mkdir -p "$work/busy linux"
  (cd "$work/linux" && ./tunewell-cli download -o "$work/busy linux" "$busy") >/dev/null 2>&1 || true
  if ! cmp -s "$(find "$collection" -maxdepth 1 -name '忙过两次*' | head -n 1)" \
    "$(find "$work/busy linux" -maxdepth 1 -name '忙过两次*' | head -n 1)"; then
    log "FAILED: the song tried again was not saved whole"
    collection_failed=1
  fi
else
  cat "$work/collection.out" >&2
  log "FAILED: --retries 2 did not save the song busy twice"
  collection_failed=1
fi
# A lower bound only: a busy machine makes the run longer, never shorter.
mkdir -p "$work/限速"
started=$SECONDS
if ! cli_windows download --limit-rate 50K -o "$(winepath -w "$work/限速")" "$plain" || [ $((SECONDS - started)) -lt 3 ]; then
  cat "$work/collection.out" >&2
  log "FAILED: --limit-rate 50K took $((SECONDS - started)) s for 200 KiB"
  collection_failed=1
fi
if [ "$collection_failed" -eq 0 ]; then
  log "skipping, retrying and the speed limit work in the Windows edition"
else
  e2e=1
fi

if [ "$failed" -ne 0 ] || [ "$e2e" -ne 0 ]; then
  log "FAILED"
  exit 1
fi
log "all Windows tests passed"

# ---- The windows under wine (tools/windows/test_gui.sh) ----
bash "$root/tools/windows/test_gui.sh"
