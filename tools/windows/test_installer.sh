#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows packages under wine (tools/windows/test_gui.sh runs this):
#  - the portable zip and the installer carry the same files as the staged
#    program folder, tunewell-cli.exe and the licences among them;
#  - the installer, silently, into a folder the user chose (a Chinese
#    name): every file arrives, and the command line starts from there;
#  - installing again over a running Tunewell.exe either gives up and
#    changes nothing or replaces everything; once it is closed, an upgrade
#    replaces every file and removes what only the old version shipped;
#  - the uninstall entry carries what Windows' settings show;
#  - uninstalling takes the files away but leaves the user's Config.ini
#    and the folder holding it.
# Expects the build of tools/build_windows.sh.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"
# shellcheck source=../lib/files.sh
source "$root/tools/lib/files.sh"
wine_session_name=test_installer
stage="$root/build-windows/stage/Tunewell"
setup="$(first_file "$root"/build-windows/Tunewell-*-setup.exe)"
zip="$(first_file "$root"/build-windows/Tunewell-*-portable.zip)"
version="$(basename "$setup")"
version="${version#Tunewell-}"
version="${version%-setup.exe}"
# shellcheck source=wine_session.sh
source "$root/tools/windows/wine_session.sh"
# Each step here needs the one before: the first failure ends the check.
fail() { wine_session_log "FAILED: $*"; exit 1; }
# The session made the demo site our http_proxy; no program of ours starts
# without it, so nothing it asks for can leave 127.0.0.1.
case "${http_proxy:-}" in
  http://127.0.0.1:*) ;;
  *) echo "no local http_proxy: refusing to start the programs" >&2; exit 1 ;;
esac

# ---- What the bundle ships ----
expected="$(cd "$stage" && find . -type f | sort)"
for file in tunewell-cli.exe licenses/README.txt licenses/Tunewell-GPL-3.0.txt \
    licenses/Qt-LGPL-3.0.txt licenses/Qt-replacing-the-DLLs.txt licenses/curl-COPYING.txt \
    licenses/OpenSSL-LICENSE.txt licenses/TagLib-LGPL-2.1.txt licenses/TagLib-MPL-1.1.txt \
    licenses/GCC-runtime-copyright.txt licenses/MinGW-w64-copyright.txt; do
  [ -s "$stage/$file" ] || fail "the program folder lacks $file"
done
grep -q 'GCC RUNTIME LIBRARY EXCEPTION' "$stage/licenses/GCC-runtime-copyright.txt" ||
  fail "the GCC runtime's licence lacks its exception"
grep -q 'winpthreads' "$stage/licenses/MinGW-w64-copyright.txt" || fail "no winpthreads notice"
mkdir "$work/unzipped"
(cd "$work/unzipped" && unzip -q "$zip")
zipped="$(cd "$work/unzipped/Tunewell" && find . -type f | sort)"
[ "$expected" = "$zipped" ] ||
  { diff <(echo "$expected") <(echo "$zipped") >&2; fail "the portable zip differs from the program folder"; }
wine_session_log "the zip and the program folder carry $(echo "$expected" | wc -l) files"

# ---- Install, silently, into a folder of the user's choice ----
target="$WINEPREFIX/drive_c/用户程序/Tunewell"
wine_session_log "$(basename "$setup")"
"$wine64" "$setup" /S '/D=C:\用户程序\Tunewell' >/dev/null 2>&1 || fail "the installer failed"
wineserver -w
installed="$(cd "$target" && find . -type f ! -name Uninstall.exe ! -name Tunewell.files | sort)"
[ "$expected" = "$installed" ] ||
  { diff <(echo "$expected") <(echo "$installed") >&2; fail "installed files differ"; }
[ -n "$(find "$WINEPREFIX/drive_c/users" -name Tunewell.lnk)" ] || fail "no Start-menu entry"
cli_version="$(cd "$target" && "$wine64" ./tunewell-cli.exe --version 2>&1 | tr -d '\r')" ||
  fail "the installed tunewell-cli.exe does not start"
[[ "$cli_version" == *"$version"* ]] || fail "tunewell-cli.exe --version said: $cli_version"

# ---- Upgrades: no file of the old version stays, none is left unreplaced ----
# The sums of what an install of ours holds (not what the program writes).
shipped_sums() {
  (cd "$1" && { echo "$expected"; shift; printf '%s\n' "$@"; } | while IFS= read -r f; do
     if [ -f "$f" ]; then sha256sum "$f"; fi; done)
}
same_as_stage() {
  [ "$(shipped_sums "$stage")" = "$(shipped_sums "$target")" ] && [ -f "$target/Uninstall.exe" ]
}
install_again() {  # sets $rc to the installer's exit code
  rc=0
  "$wine64" "$setup" /S '/D=C:\用户程序\Tunewell' >/dev/null 2>&1 || rc=$?
}
# A file the "old version" shipped and the new one does not, in its list.
plant_old_file() {
  printf 'old\r\n' >"$target/old-only.dll"
  printf 'old-only.dll\r\n' >>"$target/Tunewell.files"
}

# Over a running Tunewell.exe. The installed program is first made a byte
# longer (a program file runs with bytes after its end), so that an old
# program left in place shows.
printf 'x' >>"$target/Tunewell.exe"
plant_old_file
(cd "$target" && exec "$wine64" ./Tunewell.exe >/dev/null 2>&1) &
tunewell_pid=$!
wine_session_pids+=("$tunewell_pid")
wine_session_window "Tunewell" 60 >/dev/null || fail "Tunewell.exe did not start"
before="$(shipped_sums "$target" Uninstall.exe Tunewell.files old-only.dll)"
install_again
if [ "$rc" -ne 0 ]; then
  [ "$(shipped_sums "$target" Uninstall.exe Tunewell.files old-only.dll)" = "$before" ] ||
    fail "the installer gave up (exit $rc) over a running Tunewell.exe but changed files"
  wine_session_log "over a running Tunewell.exe the installer gives up (exit $rc), changing nothing"
  # Nor does the uninstaller take the files of a running program (run where
  # it lies with _?=, so that its exit code is its own).
  uninstall_rc=0
  "$wine64" "$target/Uninstall.exe" /S '_?=C:\用户程序\Tunewell' >/dev/null 2>&1 || uninstall_rc=$?
  { [ "$uninstall_rc" -ne 0 ] && [ "$(shipped_sums "$target" Uninstall.exe Tunewell.files old-only.dll)" = "$before" ]; } ||
    fail "the uninstaller (exit $uninstall_rc) took files of a running Tunewell.exe"
else
  ! kill -0 "$tunewell_pid" 2>/dev/null || fail "the installer succeeded while Tunewell.exe still runs"
  same_as_stage || fail "the installer succeeded over a running Tunewell.exe but left old files"
  wine_session_log "over a running Tunewell.exe the installer closed it and replaced everything"
fi
kill "$tunewell_pid" 2>/dev/null || true
wait "$tunewell_pid" 2>/dev/null || true
wineserver -w

# Once it is closed: everything is replaced and the old file is gone. The
# list lies in a folder the user can write: lines pointing outside the
# install are passed over.
printf 'outside\r\n' >"$WINEPREFIX/drive_c/用户程序/outside.txt"
printf 'outside\r\n' >"$WINEPREFIX/drive_c/outside.txt"
printf '..\\outside.txt\r\nC:\\outside.txt\r\n\\outside.txt\r\n' >>"$target/Tunewell.files"
install_again
{ [ -f "$WINEPREFIX/drive_c/用户程序/outside.txt" ] && [ -f "$WINEPREFIX/drive_c/outside.txt" ]; } ||
  fail "the upgrade deleted a file outside the install folder"
[ "$rc" -eq 0 ] || fail "the upgrade failed (exit $rc)"
same_as_stage || fail "the upgrade left files of the old version in place"
[ ! -e "$target/old-only.dll" ] || fail "a file only the old version shipped stayed"
wine_session_log "the upgrade replaced every file and removed the old version's"

# Over an install from before Tunewell.files: its own uninstaller goes first.
rm "$target/Tunewell.files"
install_again
{ [ "$rc" -eq 0 ] && same_as_stage; } || fail "the upgrade over an install without a file list failed (exit $rc)"

# What Windows' settings show of the install.
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tunewell'
# (reg writes in the ANSI code page, GBK here.)
"$wine64" reg query "$uninstall_key" 2>/dev/null | iconv -f GBK -t UTF-8 | tr -d '\r' >"$work/uninstall_key"
reg_value() { awk -v name="$1" '$1 == name { $1 = ""; $2 = ""; sub(/^ +/, ""); print }' "$work/uninstall_key"; }
[ "$(reg_value DisplayVersion)" = "$version" ] || fail "DisplayVersion is '$(reg_value DisplayVersion)'"
for name in Publisher URLInfoAbout DisplayName; do
  [ -n "$(reg_value "$name")" ] || { cat "$work/uninstall_key" >&2; fail "the uninstall entry has no $name"; }
done
[ "$(reg_value QuietUninstallString)" = "\"C:\\用户程序\\Tunewell\\Uninstall.exe\" /S" ] ||
  fail "QuietUninstallString is '$(reg_value QuietUninstallString)'"
size_kib="$(du -sk --apparent-size "$stage" | cut -f1)"
estimated=$(( $(reg_value EstimatedSize) ))
{ [ "$estimated" -ge $(( size_kib * 9 / 10 )) ] && [ "$estimated" -le $(( size_kib * 11 / 10 + 200 )) ]; } ||
  fail "EstimatedSize is $estimated KiB for $size_kib KiB of files"
wine_session_log "the uninstall entry: $(grep -c REG_ "$work/uninstall_key") values, EstimatedSize $estimated KiB"

# ---- Uninstall, silently ----
printf '[Config]\r\n' >"$target/Config.ini"
"$wine64" "$target/Uninstall.exe" /S >/dev/null 2>&1
# The uninstaller copies itself elsewhere and runs from there.
for _ in $(seq 40); do [ -f "$target/Tunewell.exe" ] || break; sleep 0.5; done
wineserver -w
left="$(cd "$target" && find . -type f | sort)"
[ "$left" = "./Config.ini" ] || { echo "$left" >&2; fail "the uninstaller left or took the wrong files"; }
[ -z "$(find "$WINEPREFIX/drive_c/users" -name Tunewell.lnk)" ] || fail "the Start-menu entry stayed"
! "$wine64" reg query "$uninstall_key" >/dev/null 2>&1 || fail "the uninstall entry stayed"
wine_session_log "installer and uninstaller passed"
