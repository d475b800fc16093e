#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows edition's windows under wine: the cross-built window tests
# (build-windows/tests/gui/windows/test_gui.exe and test_updater.exe, Qt's
# Windows platform on an Xvfb display; among them the system's folder
# dialog answered and wine's tray icon clicked as a user would), the
# installer and the portable zip
# (tools/windows/test_installer.sh), an installed copy
# (tools/windows/test_installed.sh), then Tunewell.exe and UpDate.exe run
# from the packaged folder against the demo site
# (tools/windows/screenshot_wine.sh --check), UpDate.exe replacing a running
# Tunewell.exe (tools/windows/update_wine.sh) and the in-program update
# through UpDate.vbs (update_script_wine.sh), and a second start handing
# its address to the running window (hand_over_wine.sh).
# Expects the build of tools/build_windows.sh; tools/test_windows.sh runs
# this after the core's tests.
# Each part runs in a wine session (wine_session.sh) that starts the demo
# site first and exports http_proxy as its address; without one on
# 127.0.0.1 the session refuses to start anything.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"
wine_session_name=test_gui
if [ "${TUNEWELL_WINDOWS_GUI:-1}" = 0 ]; then
  echo "[test_gui] the windows are not built, nor tested (TUNEWELL_WINDOWS_GUI=0)" >&2
  exit 0
fi
test_program="$root/build-windows/tests/gui/windows/test_gui.exe"
if [ ! -f "$test_program" ]; then
  echo "no $test_program: build the Windows edition first (tools/build_windows.sh)" >&2
  exit 1
fi

status=0
(
  # shellcheck source=wine_session.sh
  source "$root/tools/windows/wine_session.sh"
  wine_session_log "test_gui.exe"
  cd "$work"
  # A box Qt raises when it cannot start (no platform plugin) waits for a
  # click that never comes: the run is cut off instead of hanging.
  timeout 600 "$wine64" "$test_program" --gtest_brief=1 >"$work/test.log" 2>&1 ||
    { cat "$work/test.log" >&2; wine_session_log "FAILED: test_gui.exe"; exit 1; }
  tr -d '\r' <"$work/test.log" | grep -E '^\[  (PASSED|FAILED|SKIPPED) ' >&2 || true
  # What UpDate.exe replaces and ends, from the same program folder.
  wine_session_log "test_updater.exe"
  timeout 300 "$wine64" "$(dirname "$test_program")/test_updater.exe" --gtest_brief=1 >"$work/updater.log" 2>&1 ||
    { cat "$work/updater.log" >&2; wine_session_log "FAILED: test_updater.exe"; exit 1; }
) || status=1
bash "$root/tools/windows/test_installer.sh" || status=1
bash "$root/tools/windows/test_installed.sh" || status=1
bash "$root/tools/windows/screenshot_wine.sh" --check || status=1
bash "$root/tools/windows/update_wine.sh" || status=1
bash "$root/tools/windows/update_script_wine.sh" || status=1
bash "$root/tools/windows/hand_over_wine.sh" || status=1
exit "$status"
