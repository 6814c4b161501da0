#!/usr/bin/env bash
# Drives the bash completion of numo as bash would on Tab: loads bash-completion and the
# completion file, fills COMP_WORDS for a typed line and calls the completion function.
# Usage: completion_test.sh COMPLETION-FILE PROGRAM
set -uo pipefail
completion=$1
program=$2
library=/usr/share/bash-completion/bash_completion
[ -r "$library" ] || { echo "completion_test: needs bash-completion (scripts/bootstrap package)"; exit 77; }
# shellcheck source=/dev/null
source "$library"
# shellcheck source=/dev/null
source "$completion"

passed=0
failed=0
# complete LINE: COMPREPLY for the line typed so far (ending in a space: a new word), sorted.
complete_line() {
    local line=$1
    read -ra COMP_WORDS <<<"$line"
    [[ $line == *' ' ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$line
    COMP_POINT=${#line}
    COMPREPLY=()
    _numo numo "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort | tr '\n' ' ' | sed 's/ $//'
}
verdict() { # verdict STATUS MESSAGE: a check that passed when STATUS is 0
    if [ "$1" -eq 0 ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAIL: $2"
    fi
}
check() { # check LINE EXPECTED
    local got
    got=$(complete_line "$1")
    if [ "$got" == "$2" ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAIL: '$1<Tab>' offers '$got', expected '$2'"
    fi
}

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
touch "$folder/libnumo.so" "$folder/other.so"

check "$program e" "eval"
check "$program " "eval info"
check "$program i" "info"
check "$program x" ""
# The program's own options, whatever else a later version adds; --lang where it has one.
has_lang=0
"$program" --help | sed -n '1,/^$/p' | grep -q -- '--lang' && has_lang=1
offered=" $(complete_line "$program --") "
for option in --help --module --version $([ $has_lang -eq 1 ] && echo --lang); do
    [[ $offered == *" $option "* ]]
    verdict $? "'$program --<Tab>' offers '$offered', without $option"
done
check "$program --m" "--module"
# After the command its own options and the ones that stand anywhere; after -- a formula, no
# option.
check "$program eval -" "--batch --codepage --lang --module -a -b -c -d"
check "$program eval --b" "--batch"
check "$program info -" "--codepage --lang --module"
check "$program eval --l" "--lang"
check "$program eval -- -" ""
check "$program eval -a 2 -- --" ""
check "$program --lang English info --m" "--module"
check "$program eval -a " ""
check "$program eval -d 3 " ""
check "$program --module $folder/libn" "$folder/libnumo.so"
check "$program --module $folder/libnumo.so e" "eval"

# The languages are whatever `numo info` lists: each one offered must be one the program takes,
# and a program without --lang is not offered it.
if [ $has_lang -eq 1 ]; then
    offered=$(complete_line "$program --lang ")
    if [ -z "$offered" ]; then
        failed=$((failed + 1))
        echo "FAIL: '--lang <Tab>' offers no language"
    fi
    for language in $offered; do
        "$program" --lang "$language" info >/dev/null 2>&1
        verdict $? "'--lang <Tab>' offers '$language', which numo --lang refuses"
    done
    check "$program --lang ${offered%% *} e" "eval"
elif [[ $offered == *" --lang "* ]]; then
    failed=$((failed + 1))
    echo "FAIL: '--<Tab>' offers --lang, which this program does not take"
fi

echo "completion: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
