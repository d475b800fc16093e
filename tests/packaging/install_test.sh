#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What `cmake --install` puts in place, checked without a package build:
# the files a packager expects (and no demo site or key), a desktop entry
# with one main category and keywords, AppStream metadata appstreamcli
# accepts, manual pages groff reads without a warning, completions that
# offer the commands, and a manual page and completions for bash, zsh and
# fish that name exactly the options `tunewell-cli --help` prints.
#   install_test.sh BUILD_FOLDER SOURCE_FOLDER
set -euo pipefail
build=$1
source_folder=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

DESTDIR=$work cmake --install "$build" --prefix /usr >/dev/null
root=$work/usr
gui=0
[ -x "$build/Tunewell" ] && gui=1

expected=(bin/tunewell-cli share/man/man1/tunewell-cli.1.gz share/doc/tunewell/README.md
          share/doc/tunewell/CHANGELOG share/doc/tunewell/COPYING share/bash-completion/completions/tunewell-cli
          share/zsh/vendor-completions/_tunewell-cli share/fish/vendor_completions.d/tunewell-cli.fish)
if [ "$gui" = 1 ]; then
  expected+=(bin/tunewell lib/tunewell/Tunewell lib/tunewell/UpDate share/man/man1/tunewell.1.gz
             share/man/man1/UpDate.1.gz share/applications/example.tunewell.Tunewell.desktop
             share/metainfo/example.tunewell.Tunewell.metainfo.xml
             share/icons/hicolor/scalable/apps/tunewell.svg)
  for size in 16 22 24 32 48 64 128 256; do expected+=("share/icons/hicolor/${size}x${size}/apps/tunewell.png"); done
fi
for file in "${expected[@]}"; do [ -e "$root/$file" ] || fail "not installed: $file"; done
# The distribution's own documents are its to add.
for unwanted in tunewell-demo-site tunewell-standin update-key.pem copyright changelog.gz; do
  if find "$work" -name "$unwanted" | grep -q .; then fail "installed: $unwanted"; fi
done
[ "$(readlink "$root/bin/tunewell" 2>/dev/null || echo ../lib/tunewell/Tunewell)" = ../lib/tunewell/Tunewell ] ||
  fail "tunewell does not point at the program folder"
# Compressed without a name or time stamp (gzip -n), so rebuilds are equal.
for file in "$root"/share/man/man1/*.gz; do
  [ "$(od -An -tu4 -j4 -N4 "$file" | tr -d ' ')" = 0 ] || fail "$file carries a time stamp"
done

if [ "$gui" = 1 ]; then
  desktop=$root/share/applications/example.tunewell.Tunewell.desktop
  categories=$(sed -n 's/^Categories=//p' "$desktop")
  main=0
  for category in ${categories//;/ }; do
    case $category in
      AudioVideo | Audio | Video | Development | Education | Game | Graphics | Network | Office | Science | Settings | System | Utility)
        main=$((main + 1)) ;;
    esac
  done
  [ "$main" = 1 ] || fail "desktop entry has $main main categories: $categories"
  grep -q '^Keywords=.\+;$' "$desktop" || fail "desktop entry without keywords"
  grep -q '^SingleMainWindow=true$' "$desktop" || fail "desktop entry without SingleMainWindow=true"
  grep -q '^Exec=tunewell %u$' "$desktop" || fail "desktop entry does not pass the address on (Exec=tunewell %u)"
  version=$(sed -n '1s/^tunewell (\([^)-]*\).*/\1/p' "$source_folder/debian/changelog")
  grep -q "<release version=\"$version\"" "$root/share/metainfo/example.tunewell.Tunewell.metainfo.xml" ||
    fail "the metadata's latest release is not the Debian changelog's $version"
  "$build/tunewell-cli" --version | grep -q "^tunewell-cli $version\$" || fail "tunewell-cli is not version $version"
  for png in "$root"/share/icons/hicolor/*x*/apps/tunewell.png; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    file "$png" | grep -q "PNG image data, ${size/x/ x }," || fail "$png is not a $size PNG"
  done
  if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$root/share/metainfo/example.tunewell.Tunewell.metainfo.xml" >"$work/as.log" 2>&1 ||
      { cat "$work/as.log"; fail "appstreamcli validate"; }
  else
    echo "appstreamcli not installed: metainfo not validated"
  fi
fi

for page in "$root"/share/man/man1/*.gz; do
  warnings=$(zcat "$page" | groff -k -man -ww -z -Tutf8 2>&1 || true)
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
  zcat "$page" | grep -q '@[A-Z_]*@' && fail "$(basename "$page") keeps a placeholder"
done

# The completion, with the two helpers bash-completion would provide.
completions() {
  bash -c '
    _init_completion() { cur=${COMP_WORDS[COMP_CWORD]}; prev=${COMP_WORDS[COMP_CWORD-1]}; words=("${COMP_WORDS[@]}"); cword=$COMP_CWORD; }
    _filedir() { COMPREPLY=(DIRS); }
    source "$1"; shift
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
    _tunewell_cli
    printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " "
  ' sh "$root/share/bash-completion/completions/tunewell-cli" "$@"
}
check_completion() {
  local want=$1
  shift
  local got
  got=$(completions "$@")
  [ "$got" = "$want" ] || fail "completing '$*': got '$got', want '$want'"
}
check_completion "download " tunewell-cli d
check_completion "--help --jobs --json --limit-rate --output --pages --quiet --retries --version -V -h -j -o -q download list " tunewell-cli ""
check_completion "1 2 3 4 5 6 7 8 " tunewell-cli download http://x -j ""
check_completion "--save " tunewell-cli list http://x --s
check_completion "--tags --thunder " tunewell-cli -o /tmp download http://x --t
check_completion "--save --skip-saved " tunewell-cli download http://x --s
check_completion "DIRS " tunewell-cli download http://x -o ""

# The options --help prints, against the manual page and the completions.
sorted_words() { tr ' ' '\n' | grep -E '^--?[A-Za-z]' | sort -u | tr '\n' ' '; }
help_options=$("$build/tunewell-cli" --help |
  sed -n '/^选项：/,/^$/p' | sed -n 's/^ *\(\(-[-A-Za-z]*,\? *\)*\).*/\1/p' | tr -d ',' | sorted_words)
[ -n "$help_options" ] || fail "no options read from tunewell-cli --help"
# The four lists below are read through ${!listed}.
# shellcheck disable=SC2034
man_options=$(zcat "$root/share/man/man1/tunewell-cli.1.gz" | sed -n '/^\.SH OPTIONS/,/^\.SH [^O]/p' |
  sed -n '/^\.TP/{n;p}' | sed -e 's/\\-/-/g' -e 's/"[^"]*"/ /g' | tr -s ' ' '\n' | sorted_words)
# shellcheck disable=SC2034
bash_options=$(for words in "" "list http://x" "download http://x"; do
  # shellcheck disable=SC2086
  completions tunewell-cli $words -; done | sorted_words)
# zsh: the option specs of _arguments, the lines that start with '- or '(.
# shellcheck disable=SC2034
zsh_options=$(grep "^ *'[-(]" "$root/share/zsh/vendor-completions/_tunewell-cli" |
  sed -e 's/\[[^]]*\]//g' -e 's/[{}+=,()'"'"']/ /g' | tr -s ' ' '\n' | sorted_words)
# shellcheck disable=SC2034
fish_options=$(sed -n 's/^complete -c tunewell-cli\(.*\)/\1/p' "$root/share/fish/vendor_completions.d/tunewell-cli.fish" |
  sed -e "s/'[^']*'//g" -e 's/"[^"]*"//g' | grep -oE -- '-(s|l) [A-Za-z-]+' |
  sed -e 's/^-s /-/' -e 's/^-l /--/' | sorted_words)
for place in man bash zsh fish; do
  listed=${place}_options
  [ "${!listed}" = "$help_options" ] || fail "$place lists '${!listed}', --help prints '$help_options'"
done

[ "$failures" = 0 ] || exit 1
echo "install layout, desktop entry, metadata, manual pages and completions are sound"
