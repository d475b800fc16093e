#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the Windows Tunewell.exe under wine as a user would, against the
# Linux-built demo site: the main window opens at 394x577, 获取歌曲列表 fetches
# the list, the first song is ticked and downloaded, Config.ini is written
# in GBK. Then the settings window, UpDate.exe's window and (against a
# second demo site that offers version 2.6) the in-program updater open.
# Pictures of each step go to docs/windows_*.png.
#   --check   assert every step and keep the pictures out of docs/ (the
#             Windows GUI test runs it this way)
# The programs run from a copy of the portable zip's folder whose name is
# Chinese, so the paths through the program are not plain ASCII.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"
# shellcheck source=../lib/files.sh
source "$root/tools/lib/files.sh"
# The update script ends only the program of its own folder; still, the
# session runs in a process space of its own where the machine allows one,
# besides wine's own prefix, which holds only the session's programs.
if [ -z "${TUNEWELL_PRIVATE_PIDS:-}" ] && unshare --pid --fork --mount-proc true 2>/dev/null; then
  TUNEWELL_PRIVATE_PIDS=1 exec unshare --pid --fork --mount-proc bash "$0" "$@"
fi
check=0
[ "${1:-}" = "--check" ] && check=1
wine_session_name=screenshot_wine

wine_session_needs=build-windows/stage/Tunewell/Tunewell.exe

# shellcheck source=wine_session.sh
source "$root/tools/windows/wine_session.sh"

shots="$root/docs"
[ "$check" = 1 ] && shots="$work/shots"
mkdir -p "$shots"
# Pictures are cut from the whole screen: asked for one window, import
# waits forever when that window goes away meanwhile.
shoot() {
  # shellcheck disable=SC2034  # all of them are set by the eval
  local WINDOW X Y WIDTH HEIGHT SCREEN
  eval "$(xdotool getwindowgeometry --shell "$1")" || return 1
  timeout 20 /usr/bin/import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$shots/$2" &&
    wine_session_log "picture: $shots/$2"
}

# Whether file $1 holds text $2 encoded in character set $3.
holds_text() {
  local file text
  file="$(od -An -tx1 "$1" | tr -d ' \n')"
  text="$(printf '%s' "$2" | iconv -f UTF-8 -t "$3" | od -An -tx1 | tr -d ' \n')"
  [[ "$file" == *"$text"* ]]
}

folder="$work/Tunewell程序"
cp -r build-windows/stage/Tunewell "$folder"

# The programs end with the prefix's wineserver when the session does; they
# are not the shell's jobs, so that end is not reported as a failure.
(cd "$folder" && exec "$wine64" ./Tunewell.exe >"$work/tunewell.log" 2>&1) &
disown $!
main="$(wine_session_window '^Tunewell音乐下载助手$' 60)" || { fail "the main window did not open"; exit 1; }
sleep 3  # the start-up version check and the advertisement
geometry="$(xdotool getwindowgeometry "$main" | sed -n 's/^ *Geometry: //p')"
[ "$geometry" = 394x577 ] || fail "main window is $geometry, not 394x577"

# 获取歌曲列表, then tick the first song and 开始下载.
xdotool mousemove --window "$main" 336 150 click 1
sleep 4
shoot "$main" windows_main_list.png
config="$folder/Config.ini"
if [ -f "$config" ]; then
  holds_text "$config" 'Tunewell程序' GBK || fail "Config.ini does not hold the save folder in GBK"
  ! holds_text "$config" 'Tunewell程序' UTF-8 || fail "Config.ini holds UTF-8"
else
  fail "no Config.ini after fetching the list"
fi
before="$(folder_names "$folder")"
xdotool mousemove --window "$main" 27 205 click 1
sleep 1
xdotool mousemove --window "$main" 343 439 click 1
downloaded=""
for _ in $(seq 60); do
  downloaded="$(comm -13 <(echo "$before") <(folder_names "$folder") | grep -v '^Config.ini$' | head -1 || true)"
  [ -n "$downloaded" ] && [ -s "$folder/$downloaded" ] && break
  sleep 0.5
done
sleep 2
shoot "$main" windows_main_window.png
if [ -z "$downloaded" ]; then
  fail "the ticked song was not downloaded"
else
  wine_session_log "downloaded: $downloaded ($(stat -c %s "$folder/$downloaded") bytes)"
fi
# Any message box the download ended with.
for box in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
  [ "$box" = "$main" ] && continue
  [ "$(xdotool getwindowname "$box" 2>/dev/null)" = "Tunewell音乐下载助手" ] && xdotool key --window "$box" Return
done

# 设置 opens the settings window (and hides the main one).
xdotool mousemove --window "$main" 261 65 click 1
if settings="$(wine_session_window '^Tunewell音乐下载设置$' 10)"; then
  sleep 1
  shoot "$settings" windows_settings_window.png
else
  fail "the settings window did not open"
fi

# UpDate.exe on its own, from a copy of the folder (it replaces the
# Tunewell.exe beside it).
updater_folder="$work/UpDate程序"
cp -r build-windows/stage/Tunewell "$updater_folder"
(cd "$updater_folder" && exec "$wine64" ./UpDate.exe >"$work/update.log" 2>&1) &
disown $!
if update="$(wine_session_window '^Tunewell音乐下载助手升级程序$' 60)"; then
  sleep 3
  shoot "$update" windows_update_program.png
else
  fail "UpDate.exe's window did not open"
fi

# The in-program updater: another copy of the folder, started against a
# second demo site that offers version 2.6 (this build's Tunewell.exe,
# signed with this build's key), opens it at start and downloads it.
offer_folder="$work/升级测试"
cp -r build-windows/stage/Tunewell "$offer_folder"
# Paced, the download takes a few seconds, and the window can be seen at it.
if wine_session_demo_site --offer-version 2.6 --program build-windows/Tunewell.exe \
     --program-pace 25 --sign-key build-windows/update-key/update-key.pem; then
  offer_proxy="$wine_session_proxy"
  (cd "$offer_folder" && http_proxy="$offer_proxy" HTTP_PROXY="$offer_proxy" \
     exec "$wine64" ./Tunewell.exe >"$work/offer.log" 2>&1) &
  disown $!
  if updater="$(wine_session_window '^自动升级程序$' 60)"; then
    sleep 1.5
    shoot "$updater" windows_updater_window.png || fail "no picture of the in-program updater"
  else
    fail "the in-program updater did not open for version 2.6"
  fi
  # A verified download ends in the hand-over script beside the program,
  # written in GBK (tools/windows/update_script_wine.sh follows it to the end).
  script="$offer_folder/UpDate.vbs"
  for _ in $(seq 60); do [ -s "$script" ] && break; sleep 0.5; done
  if [ -s "$script" ]; then
    holds_text "$script" '升级测试' GBK || fail "UpDate.vbs does not name the folder in GBK"
  else
    fail "the in-program update wrote no UpDate.vbs"
  fi
else
  fail "the second demo site did not start"
fi

wine_session_verdict "$work/tunewell.log" "$work/update.log" "$work/offer.log"
