#!/usr/bin/env bash
# The manual page and `numo --help` name the same options: every option of the usage is in the
# page (its synopsis or its list of options), and the page names none the program does not take.
# Usage: manual_options_test.sh PAGE PROGRAM
set -uo pipefail
page=$1
program=$2

# The usage lines, up to the first blank line: [--module PATH], -d DECIMALS, -h | --help.
from_help=$("$program" --help | sed -n '1,/^$/p' | grep -oE -- '(^|[][ |])--?[a-z][a-z-]*' |
    sed 's/^[][ |]//' | sort -u)
# mdoc writes an option as Fl and its name without the first dash (Fl -module, Fl a); one Fl
# may name several, between | (Fl h | -help | -version).
from_page=$(grep -E '(^|[ .])Fl ' "$page" | awk '{
    flag = 0
    for (i = 1; i <= NF; i++) {
        if ($i == "Fl" || $i == ".Fl") { flag = 1; continue }
        if (flag && $i == "|") continue
        if (flag && $i ~ /^-?[a-z][a-z-]*$/) { print "-" $i; continue }
        flag = 0
    }
}' | sort -u)

status=0
missing=$(comm -23 <(echo "$from_help") <(echo "$from_page"))
extra=$(comm -13 <(echo "$from_help") <(echo "$from_page"))
if [ -n "$missing" ]; then
    echo "FAIL: numo --help names options the manual page lacks:" $missing
    status=1
fi
if [ -n "$extra" ]; then
    echo "FAIL: the manual page names options numo --help lacks:" $extra
    status=1
fi
[ $status -eq 0 ] && echo "manual_options: both name" $from_help
exit $status
