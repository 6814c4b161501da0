#!/usr/bin/env bash
# Writes the Debian changelog of the package from CHANGELOG.md: one entry for each released
# version (## [X.Y.Z] - YYYY-MM-DD), each of its items a "*" line wrapped to 80 columns.
# Debian wants each entry later than the one below it, and CHANGELOG.md gives days only: entries
# of one day are dated noon, the older ones a minute before the newer.
# Usage: changelog.sh CHANGELOG.md "MAINTAINER <address>"
set -euo pipefail
source=$1
maintainer=$2

version="" date="" item="" last_date="" minutes=0
flush_item() {
    [ -n "$item" ] || return 0
    fmt -w 76 <<<"$item" | sed '1s/^/  * /; 2,$s/^/    /'
    item=""
}
flush_entry() {
    flush_item
    [ -n "$version" ] || return 0
    if [ "$date" == "$last_date" ]; then minutes=$((minutes + 1)); else minutes=0; fi
    last_date=$date
    printf '\n -- %s  %s\n' "$maintainer" "$(LC_ALL=C date -R -u -d "$date 12:00 $minutes minutes ago")"
    version=""
}
first=1
while IFS= read -r line; do
    if [[ $line =~ ^##\ \[([0-9][^]]*)\]\ -\ ([0-9-]+) ]]; then
        flush_entry
        [ $first -eq 1 ] || echo
        first=0
        version=${BASH_REMATCH[1]}
        date=${BASH_REMATCH[2]}
        printf 'numo (%s) unstable; urgency=medium\n\n' "$version"
    elif [[ $line == '## '* ]]; then
        flush_entry # an unreleased section ends the entry before it
    elif [ -n "$version" ] && [[ $line == '- '* ]]; then
        flush_item
        item=${line#- }
    elif [ -n "$version" ] && [[ $line == '  '* ]] && [ -n "$item" ]; then
        item+=" ${line#  }"
    fi
done <"$source"
flush_entry
