#!/usr/bin/env bash
# The manual page passes mandoc's checker at warning level: nothing reported, exit status 0.
# Usage: manual_lint.sh PAGE
set -uo pipefail
command -v mandoc >/dev/null || { echo "manual_lint: needs mandoc (scripts/bootstrap package)"; exit 77; }
report=$(mandoc -T lint -W warning "$1" 2>&1)
status=$?
if [ $status -ne 0 ] || [ -n "$report" ]; then
    echo "FAIL: mandoc -T lint -W warning $1 exits $status and reports:"
    echo "$report"
    exit 1
fi
# A page that lints clean but lost its sections would still pass: every section a user looks for.
for section in NAME SYNOPSIS DESCRIPTION OPTIONS KEYS ENVIRONMENT FILES 'EXIT STATUS' EXAMPLES; do
    grep -qx "\.Sh $section" "$1" || { echo "FAIL: $1 has no section $section"; exit 1; }
done
echo "manual_lint: $1 is clean"
