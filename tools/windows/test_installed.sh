#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# An installed copy under wine, as a user gets it: the installer run
# silently into its default per-user folder (%LOCALAPPDATA%\Programs\
# Tunewell, which the user can write), its uninstall entry then made to show
# an old version as a self-update leaves it. Tunewell.exe started from there
# must bring DisplayVersion in step with itself, and after 获取歌曲列表 its
# Config.ini (beside the program) must name the user's Music folder as the
# save folder, not the program folder. Run by tools/windows/test_gui.sh.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"
# shellcheck source=../lib/files.sh
source "$root/tools/lib/files.sh"
wine_session_name=test_installed
# shellcheck source=wine_session.sh
source "$root/tools/windows/wine_session.sh"
# The session made the demo site our http_proxy; no program of ours starts
# without it, so nothing it asks for can leave 127.0.0.1.
case "${http_proxy:-}" in
  http://127.0.0.1:*) ;;
  *) echo "no local http_proxy: refusing to start the programs" >&2; exit 1 ;;
esac

fail() { wine_session_log "FAILED: $*"; exit 1; }
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tunewell'
reg_value() {  # reg_value NAME: the entry's string value
  "$wine64" reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_SZ *//p"
}

setup="$(first_file "$root"/build-windows/Tunewell-*-setup.exe)"
wine_session_log "$(basename "$setup") /S into the default folder"
"$wine64" "$setup" /S >/dev/null 2>&1
wineserver -w
location="$(reg_value InstallLocation)"
[ -n "$location" ] || fail "the installer wrote no InstallLocation"
folder="$(winepath -u "$location" 2>/dev/null)"
folder="${folder%/}"
[ -f "$folder/Tunewell.exe" ] || fail "no Tunewell.exe in $location"
version="$(reg_value DisplayVersion)"
"$wine64" reg add "$key" /v DisplayVersion /t REG_SZ /d 0.1 /f >/dev/null 2>&1
[ "$(reg_value DisplayVersion)" = 0.1 ] || fail "could not set the old version"

# Ends with the prefix's wineserver when the session does.
(cd "$folder" && exec "$wine64" ./Tunewell.exe >"$work/tunewell.log" 2>&1) &
disown $!
main="$(wine_session_window '^Tunewell音乐下载助手$' 60)" || fail "the main window did not open"
sleep 3
now="$(reg_value DisplayVersion)"
[ "$now" = "$version" ] || fail "DisplayVersion is '$now' after the start, not the program's '$version'"
wine_session_log "DisplayVersion 0.1 brought in step: $now"

# 获取歌曲列表 stores the settings, the default save folder among them.
xdotool mousemove --window "$main" 336 150 click 1
for _ in $(seq 20); do [ -s "$folder/Config.ini" ] && break; sleep 0.5; done
[ -s "$folder/Config.ini" ] || fail "no Config.ini beside the installed program"
save="$(iconv -f GBK -t UTF-8 <"$folder/Config.ini" | tr -d '\r' | sed -n 's/^SavePath=//p')"
music="$("$wine64" cmd /c echo %USERPROFILE% 2>/dev/null | tr -d '\r')\\Music"
# The known Music folder, never the program folder the user does not see.
shopt -s nocasematch
[[ "$save" == "$music" ]] || fail "the save folder is '$save', not the Music folder '$music'"
shopt -u nocasematch
[ -d "$(winepath -u "$save" 2>/dev/null)" ] || fail "the Music folder $save was not made"
wine_session_log "an installed copy saves into $save; Config.ini stays in $location"
