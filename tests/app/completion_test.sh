#!/usr/bin/env bash
# The bash completion of trnsetup and trnsim, called as bash calls it: one row a command line
# (the word completed last), what the completions must hold and what they must not.
# Usage: completion_test.sh COMPLETION_FILE
set -uo pipefail
source "$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" && mkdir folder && touch unit7.trncfg notes.txt 0405000AB0FFV.v english.rcc
failures=0

# row: "words" "must hold (blank-separated)" "must not hold"
check() {
    read -ra COMP_WORDS <<<"$1"
    [[ $1 == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    "_${COMP_WORDS[0]}"
    local got=" ${COMPREPLY[*]} " want
    for want in $2; do
        [[ $got == *" $want "* ]] || { echo "FAIL: '$1' lacks $want: $got"; ((failures++)); }
    done
    for want in $3; do
        [[ $got == *" $want "* ]] && { echo "FAIL: '$1' offers $want: $got"; ((failures++)); }
    done
}

check "trnsetup " "read write show diff history edit" "unit7.trncfg"
check "trnsetup --language english " "read edit" "english"
check "trnsetup -l " "english chinese english.rcc" "read"
check "trnsetup show " "unit7.trncfg 0405000AB0FFV.v folder/" "notes.txt read"
check "trnsetup edit u" "unit7.trncfg" "notes.txt"
check "trnsetup write " "unit7.trncfg" "0405000AB0FFV.v notes.txt"
check "trnsetup st" "station" "show"
check "trnsetup station " "unit7.trncfg" "0405000AB0FFV.v notes.txt"
check "trnsetup station unit7.trncfg --" "--port-folder --report --json" "--yes --window"
check "trnsetup station unit7.trncfg --report " "folder" "unit7.trncfg"
check "trnsetup diff unit7.trncfg " "unit7.trncfg 0405000AB0FFV.v" "notes.txt"
check "trnsetup write unit7.trncfg --" "--yes --adjust --force --no-verify --all-ports --version" "--window"
check "trnsetup read --" "--output --all-ports --port --help" "--yes --window"
check "trnsetup history --" "--export --window --since --where --sync" "--yes"
check "trnsetup edit --" "--language --help --version" "--port --json"
check "trnsetup read -o " "notes.txt unit7.trncfg" "read"
check "trnsetup read --port /dev/tt" "/dev/tty" "read"
check "trnsetup --" "--port --port-folder --language --version" "--yes"
check "trnsim --" "--image --link --silent --lose-commit-reply --help" "--yes"
check "trnsim --image " "unit7.trncfg notes.txt" "--silent"

[[ $failures -eq 0 ]] && echo "all completions as expected"
exit $((failures > 0))
