#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows packages under wine (tools/windows/test_gui.sh runs this):
#  - the portable zip and the installer carry the same files as the staged
#    program folder, tunewell-cli.exe and the licences among them;
#  - the installer, silently, into a folder the user chose (a Chinese
#    name): every file arrives, and the command line starts from there;
#  - uninstalling takes them away but leaves the user's Config.ini and the
#    folder holding it.
# Expects the build of tools/build_windows.sh.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"
wine_session_name=test_installer
stage="$root/build-windows/stage/Tunewell"
setup="$(ls "$root"/build-windows/Tunewell-*-setup.exe | head -1)"
zip="$(ls "$root"/build-windows/Tunewell-*-portable.zip | head -1)"
version="$(basename "$setup")"
version="${version#Tunewell-}"
version="${version%-setup.exe}"
fail() { wine_session_log "FAILED: $*"; exit 1; }

# shellcheck source=wine_session.sh
source "$root/tools/windows/wine_session.sh"

# ---- What the bundle ships ----
expected="$(cd "$stage" && find . -type f | sort)"
for file in tunewell-cli.exe licenses/README.txt licenses/Tunewell-GPL-3.0.txt \
    licenses/Qt-LGPL-3.0.txt licenses/Qt-replacing-the-DLLs.txt licenses/curl-COPYING.txt \
    licenses/OpenSSL-LICENSE.txt licenses/GCC-runtime-copyright.txt licenses/MinGW-w64-copyright.txt; do
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

# ---- Uninstall, silently ----
printf '[Config]\r\n' >"$target/Config.ini"
"$wine64" "$target/Uninstall.exe" /S >/dev/null 2>&1
# The uninstaller copies itself elsewhere and runs from there.
for _ in $(seq 40); do [ -f "$target/Tunewell.exe" ] || break; sleep 0.5; done
wineserver -w
left="$(cd "$target" && find . -type f | sort)"
[ "$left" = "./Config.ini" ] || { echo "$left" >&2; fail "the uninstaller left or took the wrong files"; }
[ -z "$(find "$WINEPREFIX/drive_c/users" -name Tunewell.lnk)" ] || fail "the Start-menu entry stayed"
wine_session_log "installer and uninstaller passed"
