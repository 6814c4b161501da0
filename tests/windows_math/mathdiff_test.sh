#!/usr/bin/env bash
# numo-mathdiff on Linux alone: the whole plan (function rows and the seeded corpus) through the
# Linux program compares clean against itself, which also proves that no row of it is a syntax
# fault; then small plans against a "Windows" output altered by hand show that each check fails
# where it must.
# Usage: mathdiff_test.sh NUMO-MATHDIFF NUMO SOURCE-DIR
set -uo pipefail
mathdiff=$1
numo=$2
here=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() { # check WHAT WANT-EXIT PLAN WINDOWS-OUTPUT [GREP-PATTERN]
    local out rc
    out=$("$mathdiff" compare "$3" "$work/linux.out" "$4")
    rc=$?
    if [ $rc -ne "$2" ] || { [ -n "${5:-}" ] && ! grep -q -- "$5" <<<"$out"; }; then
        echo "FAILED: $1 (exit $rc, expected $2; wanted '${5:-}')"
        echo "$out" | sed 's/^/  /'
        failures=$((failures + 1))
    fi
}

# The stage's own plan.
"$mathdiff" plan 16 3000 >"$work/plan" || exit 1
composite=$(sed -n '/^batch composite/,$p' "$work/plan" | grep -vc '^batch ')
[ "$composite" -eq 3000 ] || { echo "FAILED: the corpus holds $composite formulas"; failures=$((failures + 1)); }
"$here/run_plan.sh" "$work/plan" "$work/linux.out" "$numo"
check "the plan against itself" 0 "$work/plan" "$work/linux.out" "^windows-math: [0-9]* agree, 0 differ (composite rows)"
# Drawn again from the same seed, the corpus is the same.
"$mathdiff" plan 16 3000 | cmp -s - "$work/plan" || { echo "FAILED: seed 16 drew another corpus"; failures=$((failures + 1)); }

# Small plans. sin(1000000) is -0.34999350217129294; its neighbours upwards are
# -0.3499935021712929 (1 ULP) and -0.3499935021712928 (2 ULP).
printf '%s\n' 'batch function -a 1000000' 'sin(a)' 'batch function -a -2' 'frac(a)' \
    'batch composite -a 3' '(a+1)' >"$work/small"
"$here/run_plan.sh" "$work/small" "$work/linux.out" "$numo"
alter() { sed "$1" "$work/linux.out" >"$work/windows.out"; }
alter 's/^result: -0.3499935021712929.*/result: -0.3499935021712929/'
check "1 ULP off in a function row is within the goal" 0 "$work/small" "$work/windows.out" \
    "^windows-math: 1 agree, 1 differ (function rows); ULP: 1 at 1$"
alter 's/^result: -0.3499935021712929.*/result: -0.3499935021712928/'
check "2 ULP off in a function row fails" 1 "$work/small" "$work/windows.out" "^FAIL: beyond the goal: sin(a)"
# cot and acot take two roundings in a row: 2 ULP is within their goal, 3 is not. cot(7) is
# 1.1475154224051356; 2 ULP up is 1.147515422405136, 3 ULP up 1.1475154224051363.
printf '%s\n' 'batch function -a 7' 'cot(a)' >"$work/cot"
"$here/run_plan.sh" "$work/cot" "$work/linux.out" "$numo"
alter 's/^result: 1\.14751542240513.*/result: 1.147515422405136/'
check "2 ULP off in a cot row is within the goal" 0 "$work/cot" "$work/windows.out" \
    "^windows-math: 0 agree, 1 differ (function rows); ULP: 1 at 2$"
alter 's/^result: 1\.14751542240513.*/result: 1.1475154224051363/'
check "3 ULP off in a cot row fails" 1 "$work/cot" "$work/windows.out" "^FAIL: beyond the goal: cot(a)"
"$here/run_plan.sh" "$work/small" "$work/linux.out" "$numo"
alter 's/^result: -0\.0000*$/result: 0.000/'
check "+0 for frac(-2) fails" 1 "$work/small" "$work/windows.out" "^FAIL: beyond the goal: frac(a)"
alter '/^result: 4\.0*$/,/^status:/{s/^result: .*/result: Division by zero/;s/^status: .*/status: 26/}'
check "a status difference fails" 1 "$work/small" "$work/windows.out" "^FAIL: the status differs: (a+1)"
alter 's/^result: 4\.0*$/result: 4.0000000000000009/'
check "a composite formula 1 ULP off is counted, not failed" 0 "$work/small" "$work/windows.out" \
    "^windows-math: 0 agree, 1 differ (composite rows); ULP: 1 at 1$"
head -n 11 "$work/linux.out" >"$work/windows.out"
check "a missing block fails" 1 "$work/small" "$work/windows.out" "^FAIL: 3 formulas"

# A formula that both sides refuse as a syntax fault compares nothing: it fails.
printf '%s\n' 'batch composite -a 1' 'sin(1e6)' >"$work/syntax"
"$here/run_plan.sh" "$work/syntax" "$work/linux.out" "$numo"
check "a syntax message in the corpus fails" 1 "$work/syntax" "$work/linux.out" "^FAIL: a syntax message"

echo "windows-math tool: $failures failed"
[ $failures -eq 0 ]
