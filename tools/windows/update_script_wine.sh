#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The in-program update end to end under wine: a copy of Tunewell.exe in
# one folder runs against the session's demo site (no update offered);
# another copy, started against a demo site offering version 2.6 (a
# program of this build with bytes of its own appended, signed with this
# build's key), downloads it and hands over to UpDate.vbs, which wine's
# script host runs. Afterwards the updated folder's Tunewell.exe holds the
# download's bytes and runs again, the copy in the other folder still
# runs, and no download stays in the temporary folder; once the new
# program is closed, UpDate.vbs is gone too.
# Wine's WMI lists no ExecutablePath for a process, so there the script
# finds no process to end: the old program has ended itself, and the copy
# waits until its file is free.
# Run by tools/windows/test_gui.sh after the Windows build.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"
wine_session_name=update_script_wine

stage=build-windows/stage/Tunewell
wine_session_needs="$stage/Tunewell.exe"
# shellcheck source=wine_session.sh
source "$root/tools/windows/wine_session.sh"


# The folder to update, a copy elsewhere, the signed download on offer.
wine_session_update_offer "$work/升级 程序" "in-program update test" || { fail "the update could not be offered"; exit 1; }

main_windows() { xdotool search --onlyvisible --name '^Tunewell音乐下载助手$' 2>/dev/null || true; }
(cd "$other" && exec "$wine64" ./Tunewell.exe >"$work/other.log" 2>&1) &
other_pid=$!
disown "$other_pid"
wine_session_pids+=("$other_pid")
for _ in $(seq 120); do [ -n "$(main_windows)" ] && break; sleep 0.5; done
[ -n "$(main_windows)" ] || { fail "the other folder's Tunewell.exe did not open"; exit 1; }
sleep 2

(cd "$folder" && http_proxy="$offer_proxy" HTTP_PROXY="$offer_proxy" \
   exec "$wine64" ./Tunewell.exe >"$work/old.log" 2>&1) &
old_pid=$!
disown "$old_pid"  # it ends itself once the script has it in hand
wine_session_pids+=("$old_pid")

replaced=0
for _ in $(seq 240); do
  if cmp -s "$download" "$folder/Tunewell.exe"; then replaced=1; break; fi
  sleep 0.5
done
if [ "$replaced" = 1 ]; then
  wine_session_log "Tunewell.exe holds the download's $(stat -c %s "$download") bytes"
else
  fail "Tunewell.exe was not replaced by the download"
fi
for _ in $(seq 60); do kill -0 "$old_pid" 2>/dev/null || break; sleep 0.5; done
kill -0 "$old_pid" 2>/dev/null && fail "the old Tunewell.exe still runs"
kill -0 "$other_pid" 2>/dev/null || fail "the Tunewell.exe of another folder was ended"

# The new program's window: the main window whose process is not the
# other folder's.
new_window=""
for _ in $(seq 120); do
  for window in $(main_windows); do
    [ "$(xdotool getwindowpid "$window" 2>/dev/null || true)" != "$other_pid" ] && new_window="$window"
  done
  [ -n "$new_window" ] && break
  sleep 0.5
done
[ -n "$new_window" ] || fail "the new Tunewell.exe did not start"
left="$(find "$WINEPREFIX/drive_c/users" -name 'tunewell-update-*' 2>/dev/null || true)"
[ -z "$left" ] || fail "the download stayed in the temporary folder: $left"

# Closed by its own close button, the new program lets the script end.
if [ -n "$new_window" ]; then
  xdotool mousemove --window "$new_window" 364 9 click 1
  for _ in $(seq 60); do [ -f "$folder/UpDate.vbs" ] || break; sleep 0.5; done
  [ -f "$folder/UpDate.vbs" ] && fail "UpDate.vbs stayed beside the program"
fi
kill -0 "$other_pid" 2>/dev/null || fail "the Tunewell.exe of another folder was ended"

wine_session_verdict "$work/old.log"
