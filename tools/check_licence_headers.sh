#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that every tracked source file, script and CMake file starts with
# the licence line (after its "#!" or "#compdef" line where it has one);
# --fix adds the line where it is missing. Exits 77 outside a git checkout
# (nothing to list), 1 when a file lacks the line.
#   tools/check_licence_headers.sh [--fix]
set -euo pipefail
cd "$(dirname "$0")/.."
spdx='SPDX-License-Identifier: GPL-3.0-or-later'
fix=0
case ${1:-} in
  --fix) fix=1 ;;
  '') ;;
  *) echo "usage: $0 [--fix]" >&2; exit 2 ;;
esac
if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  echo "not a git checkout: no file list to check"
  exit 77
fi

# The comment that carries the line in this file, or nothing when the file
# is no source file, script or CMake file.
comment_of() {
  case $1 in
    *.cpp | *.cc | *.c | *.h | *.hpp | *.h.in | *.rc | *.rc.in) echo '//' ;;
    *.sh | *.py | *.cmake | *.cmake.in | CMakeLists.txt | */CMakeLists.txt | *.nsi | *.nsi.in) echo '#' ;;
    packaging/completion/*) echo '#' ;;
    *) [ "$(head -c2 "$1")" = '#!' ] && echo '#' ;;
  esac
  return 0
}

missing=0
while IFS= read -r -d '' file; do
  if [ ! -f "$file" ] || [ -L "$file" ]; then continue; fi
  comment=$(comment_of "$file")
  [ -n "$comment" ] || continue
  # After a "#!" line, and after the "#compdef" line zsh wants first.
  line=1
  case $(head -n1 "$file") in '#!'* | '#compdef'*) line=2 ;; esac
  [ "$(sed -n "${line}p" "$file")" = "$comment $spdx" ] && continue
  if [ "$fix" = 1 ]; then
    if [ "$line" = 2 ]; then
      sed -i "1a $comment $spdx" "$file"
    else
      sed -i "1i $comment $spdx" "$file"
    fi
    echo "added: $file"
  else
    echo "no licence line: $file"
    missing=$((missing + 1))
  fi
done < <(git ls-files -z)
if [ "$missing" -ne 0 ]; then
  echo "$missing file(s) without the line \"$spdx\"; run $0 --fix" >&2
  exit 1
fi
