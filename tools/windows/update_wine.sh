#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# UpDate.exe end to end under wine, as a user runs it: Tunewell.exe runs in
# the updater's folder and a second copy in another folder; UpDate.exe,
# against a demo site offering version 2.6 (a program of this build with
# bytes of its own appended, signed with this build's key), is told to
# start (a click on 开始升级). Afterwards the program of its folder has been
# ended, its file holds the download's bytes, it runs again, and the copy
# in the other folder has kept running.
# Run by tools/windows/test_gui.sh after the Windows build.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"
# shellcheck source=../lib/files.sh
source "$root/tools/lib/files.sh"
wine_session_name=update_wine

stage=build-windows/stage/Tunewell
wine_session_needs="$stage/UpDate.exe"
# shellcheck source=wine_session.sh
source "$root/tools/windows/wine_session.sh"

# The folder to update, a copy elsewhere, the signed download on offer.
wine_session_update_offer "$work/升级程序" "update test" || { fail "the update could not be offered"; exit 1; }

# The two running programs, against the session's site (which offers no
# update). Their ids are those of wine's processes for them.
main_windows() { xdotool search --onlyvisible --name '^Tunewell音乐下载助手$' 2>/dev/null | wc -l; }
(cd "$folder" && exec "$wine64" ./Tunewell.exe >"$work/old.log" 2>&1) &
old_pid=$!
disown "$old_pid"  # its end is the point, not a failure to report
wine_session_pids+=("$old_pid")
(cd "$other" && exec "$wine64" ./Tunewell.exe >"$work/other.log" 2>&1) &
other_pid=$!
disown "$other_pid"
wine_session_pids+=("$other_pid")
for _ in $(seq 120); do [ "$(main_windows)" -ge 2 ] && break; sleep 0.5; done
[ "$(main_windows)" -ge 2 ] || { fail "the two Tunewell.exe windows did not open"; exit 1; }
sleep 2  # their start-up version checks

(cd "$folder" && http_proxy="$offer_proxy" HTTP_PROXY="$offer_proxy" \
   exec "$wine64" ./UpDate.exe >"$work/update.log" 2>&1) &
update_pid=$!
disown "$update_pid"
wine_session_pids+=("$update_pid")
update="$(wine_session_window '^Tunewell音乐下载助手升级程序$' 60)" || { fail "UpDate.exe's window did not open"; exit 1; }
sleep 1
# 开始升级 (the button at 204,48, 96x30).
xdotool mousemove --window "$update" 250 63 click 1
# The final message box ("升级完毕!" or the failure) waits for its OK.
box=""
for _ in $(seq 240); do
  box="$(xdotool search --onlyvisible --name '^UpDate$' 2>/dev/null | head -1 || true)"
  [ -n "$box" ] && break
  sleep 0.25
done
if [ -n "$box" ]; then
  # UPDATE_WINE_SHOTS=FOLDER keeps a picture of the outcome there.
  if [ -n "${UPDATE_WINE_SHOTS:-}" ]; then timeout 20 import -window root "$UPDATE_WINE_SHOTS/outcome.png" || true; fi
  xdotool key --window "$box" Return
else
  fail "UpDate.exe showed no outcome"
fi
for _ in $(seq 60); do kill -0 "$update_pid" 2>/dev/null || break; sleep 0.5; done
kill -0 "$update_pid" 2>/dev/null && fail "UpDate.exe did not close"

if cmp -s "$download" "$folder/Tunewell.exe"; then
  wine_session_log "Tunewell.exe holds the download's $(stat -c %s "$download") bytes"
else
  fail "Tunewell.exe is not the download"
fi
kill -0 "$old_pid" 2>/dev/null && fail "the Tunewell.exe of UpDate's folder still runs"
kill -0 "$other_pid" 2>/dev/null || fail "the Tunewell.exe of another folder was ended"
# The new program's window beside the other folder's.
for _ in $(seq 120); do [ "$(main_windows)" -ge 2 ] && break; sleep 0.5; done
if [ "$(main_windows)" -ge 2 ]; then
  wine_session_log "the new Tunewell.exe runs, the other folder's copy still runs"
else
  fail "the new Tunewell.exe did not start"
fi
left="$(comm -23 <(folder_names "$folder") <(folder_names "$stage") | grep -vx 'Config.ini' || true)"
[ -z "$left" ] || fail "UpDate left files beside the program: $left"

wine_session_verdict "$work/update.log"
