# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Sourced by scripts that look at folders: the names in them without
# parsing ls.

# first_file PATTERN-MATCHES...: prints the first of the files a glob
# matched (sorted, as the shell sorts them); fails with a message when
# the pattern matched none.
first_file() {
  if [ ! -e "$1" ]; then
    echo "no file matches $1" >&2
    return 1
  fi
  printf '%s\n' "$1"
}

# folder_names FOLDER: the names in FOLDER that ls shows (not those that
# begin with a dot), one a line, sorted.
folder_names() {
  find "$1" -mindepth 1 -maxdepth 1 ! -name '.*' -printf '%f\n' | sort
}
