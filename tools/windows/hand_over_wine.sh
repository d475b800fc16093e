#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Addresses from elsewhere in the Windows edition under wine: Tunewell.exe
# started with a site address fetches it; a second Tunewell.exe of the same
# folder hands its address to the first window (which fetches it) and ends
# without opening a window; a third without an address brings the minimised
# window back; a copy in another folder opens a window of its own.
# Expects the build of tools/build_windows.sh; tools/windows/test_gui.sh
# runs it.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"
wine_session_name=hand_over_wine

wine_session_needs=build-windows/stage/Tunewell/Tunewell.exe

# shellcheck source=wine_session.sh
source "$root/tools/windows/wine_session.sh"
# The session made the demo site our http_proxy: no Tunewell.exe starts
# without it, so nothing the windows ask for leaves 127.0.0.1.
case "${http_proxy:-}" in
  http://127.0.0.1:*) ;;
  *) wine_session_log "no local http_proxy: refusing to start the programs"; exit 1 ;;
esac

title='^Tunewell音乐下载助手$'
album="http://www.$music_host/album/232523"
chart="http://www.$music_host/music/chart/"

# Waits up to $3 seconds for Config.ini in folder $1 to hold ListUrl=$2.
wait_list_url() {
  local _
  for _ in $(seq $(($3 * 2))); do
    [ -f "$1/Config.ini" ] && tr -d '\r' <"$1/Config.ini" | grep -qxF "ListUrl=$2" && return 0
    sleep 0.5
  done
  return 1
}
windows_named() { xdotool search --onlyvisible --name "$title" 2>/dev/null | wc -l; }

folder="$work/接力程序"
cp -r build-windows/stage/Tunewell "$folder"
(cd "$folder" && exec "$wine64" ./Tunewell.exe "$album" >"$work/first.log" 2>&1) &
disown $!
main="$(wine_session_window "$title" 60)" || { fail "the main window did not open"; exit 1; }
wait_list_url "$folder" "$album" 30 || fail "the address of the command line was not fetched"

started=$SECONDS
if (cd "$folder" && timeout 60 "$wine64" ./Tunewell.exe "$chart" >"$work/second.log" 2>&1); then
  wine_session_log "the second start ended after $((SECONDS - started)) s"
else
  fail "the second start did not end by itself"
fi
wait_list_url "$folder" "$chart" 30 || fail "the first window did not fetch the handed-over address"
wine_session_log "the first window fetched the handed-over address"
[ "$(windows_named)" = 1 ] || fail "$(windows_named) main windows are shown, not one"

# The frame's minimise button: the window goes to the tray.
xdotool mousemove --window "$main" 330 10 click 1
hidden=0
for _ in $(seq 20); do
  xdotool search --onlyvisible --name "$title" 2>/dev/null | grep -qx "$main" || { hidden=1; break; }
  sleep 0.5
done
[ "$hidden" = 1 ] || fail "the window did not leave the screen when minimised"
wine_session_log "minimised to the tray; a start without an address"
(cd "$folder" && timeout 60 "$wine64" ./Tunewell.exe >"$work/third.log" 2>&1) || fail "the third start did not end by itself"
shown=0
for _ in $(seq 20); do
  xdotool search --onlyvisible --name "$title" 2>/dev/null | grep -qx "$main" && { shown=1; break; }
  sleep 0.5
done
[ "$shown" = 1 ] || fail "the minimised window did not come back"

other="$work/另一个"
cp -r build-windows/stage/Tunewell "$other"
(cd "$other" && exec "$wine64" ./Tunewell.exe "$album" >"$work/other.log" 2>&1) &
disown $!
wait_list_url "$other" "$album" 60 || fail "a copy in another folder did not open a window of its own"
[ "$(windows_named)" = 2 ] || fail "$(windows_named) main windows are shown, not two"

wine_session_verdict "$work/first.log" "$work/second.log" "$work/third.log" "$work/other.log"
