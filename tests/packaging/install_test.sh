#!/usr/bin/env bash
# What `cmake --install` puts in place, checked without a package build:
# the files a packager expects (and no demo site or key), a desktop entry
# with one main category and keywords, AppStream metadata appstreamcli
# accepts, manual pages groff reads without a warning, and a bash completion
# that offers the commands and options.
#   install_test.sh BUILD_FOLDER
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

DESTDIR=$work cmake --install "$build" --prefix /usr >/dev/null
root=$work/usr
gui=0
[ -x "$build/Tunewell" ] && gui=1

expected=(bin/tunewell-cli share/man/man1/tunewell-cli.1.gz share/doc/tunewell/copyright
          share/doc/tunewell/changelog.gz share/bash-completion/completions/tunewell-cli)
if [ "$gui" = 1 ]; then
  expected+=(bin/tunewell lib/tunewell/Tunewell lib/tunewell/UpDate share/man/man1/tunewell.1.gz
             share/man/man1/UpDate.1.gz share/applications/example.tunewell.Tunewell.desktop
             share/metainfo/example.tunewell.Tunewell.metainfo.xml
             share/icons/hicolor/scalable/apps/tunewell.svg)
fi
for file in "${expected[@]}"; do [ -e "$root/$file" ] || fail "not installed: $file"; done
for unwanted in tunewell-demo-site tunewell-standin update-key.pem; do
  if find "$work" -name "$unwanted" | grep -q .; then fail "installed: $unwanted"; fi
done
[ "$(readlink "$root/bin/tunewell" 2>/dev/null || echo ../lib/tunewell/Tunewell)" = ../lib/tunewell/Tunewell ] ||
  fail "tunewell does not point at the program folder"
# Compressed without a name or time stamp (gzip -n), so rebuilds are equal.
for file in "$root"/share/man/man1/*.gz "$root/share/doc/tunewell/changelog.gz"; do
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
  version=$(zcat "$root/share/doc/tunewell/changelog.gz" | sed -n '1s/^tunewell (\([^)]*\)).*/\1/p')
  grep -q "<release version=\"$version\"" "$root/share/metainfo/example.tunewell.Tunewell.metainfo.xml" ||
    fail "the metadata's release is not the changelog's $version"
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
check_completion "--help --jobs --json --output --quiet --version -V -h -j -o -q download list " tunewell-cli ""
check_completion "--save " tunewell-cli list http://x --s
check_completion "--thunder " tunewell-cli -o /tmp download http://x --t
check_completion "--save " tunewell-cli download http://x --s
check_completion "DIRS " tunewell-cli download http://x -o ""

[ "$failures" = 0 ] || exit 1
echo "install layout, desktop entry, metadata, manual pages and completion are sound"
