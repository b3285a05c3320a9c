#!/usr/bin/env bash
# Fails when a command or an option that `trnsetup --help` lists (or the --help of one of the
# commands it names) is missing from the man page packaging/trnsetup.1.
#
#   scripts/check-manpage.sh [BUILD_DIR]      # default: build
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
program=$build/bin/trnsetup
[ -x "$program" ] || { echo "check-manpage.sh: $program is not built" >&2; exit 2; }

# The man page as words: font changes and escaped hyphens undone.
page=$(sed -e 's/\\f[BIRP]//g' -e 's/\\-/-/g' packaging/trnsetup.1)
help=$("$program" --help)
# "trnsetup read|write|show|diff|history": the commands.
commands=$(grep -o 'trnsetup [a-z]\+\(|[a-z]\+\)\+' <<<"$help" | head -n1 | cut -d' ' -f2 | tr '|' ' ')
[ -n "$commands" ] || { echo "check-manpage.sh: --help names no commands" >&2; exit 1; }

options() { grep -o -- '\(^\|[ ,[]\)--\?[a-z][a-z0-9-]*' | sed 's/^[ ,[]//' | grep '^-' | sort -u; }

missing=0
checked=" "
check() {  # what, where it was listed
  case $checked in *" $1 "*) return ;; esac
  checked+="$1 "
  if ! grep -q -- "\(^\|[^a-z0-9-]\)$1\([^a-z0-9-]\|$\)" <<<"$page"; then
    echo "packaging/trnsetup.1 lacks $1 (listed by $2)"
    missing=1
  fi
}
for option in $(options <<<"$help"); do check "$option" "trnsetup --help"; done
for command in $commands; do
  check "$command" "trnsetup --help"
  for option in $("$program" "$command" --help | options); do
    check "$option" "trnsetup $command --help"
  done
done
[ $missing -eq 0 ] && echo "The man page names every command and option of --help."
exit $missing
