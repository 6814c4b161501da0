#!/usr/bin/env bash
# The real program under valgrind's memcheck: `numo eval` on a result, each kind of message
# (syntax, variable, evaluation), the widest result, every message 9..33 in one batch, the
# help and info commands, and the error paths (bad usage, a missing module, a folder without a
# language file, bad batch lines). Every run must give its documented exit status and its
# status lines, with no memory error and no definite or indirect leak.
# Usage: memcheck.sh VALGRIND NUMO
set -uo pipefail
valgrind=$1
numo=$2

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# A module without its language file beside it: the host refuses to start it.
mkdir "$scratch/nolang"
cp "$(dirname "$numo")/libnumo.so" "$scratch/nolang/"

failures=0
# check NAME EXIT STATUSES INPUT ARGS...: STATUSES is the expected sequence of the numbers on
# the "status:" lines, space-separated ("" for none); INPUT goes to standard input, with the
# escapes of printf %b (so that it can hold a NUL).
check() {
    local name=$1 exit_expected=$2 statuses_expected=$3 input=$4
    shift 4
    printf '%b' "$input" >"$scratch/in"
    "$valgrind" -q --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite,indirect \
        --log-file="$scratch/valgrind.log" "$numo" "$@" <"$scratch/in" >"$scratch/out" 2>"$scratch/err"
    local exit_got=$?
    local statuses_got # status 5 (a bad batch line) says why in that line's block, not on stderr
    statuses_got=$(sed -n 's/^status: //p' "$scratch/out" | tr '\n' ' ' | sed 's/ $//')
    local problem=""
    if [ -s "$scratch/valgrind.log" ] || [ $exit_got -eq 99 ]; then
        problem="memcheck reports errors or leaks"
    elif [ $exit_got -ne "$exit_expected" ]; then
        problem="exit status $exit_got, expected $exit_expected"
    elif [ "$statuses_got" != "$statuses_expected" ]; then
        problem="statuses '$statuses_got', expected '$statuses_expected'"
    elif [ "$exit_expected" -ge 2 ] && [ "$exit_expected" -ne 5 ] && ! grep -q '^numo: \|^Usage: numo' "$scratch/err"; then
        problem="no message on standard error"
    fi
    if [ -n "$problem" ]; then
        echo "FAILED $name: $problem"
        echo "  numo $*"
        sed 's/^/  valgrind: /' "$scratch/valgrind.log"
        sed 's/^/  stderr: /' "$scratch/err"
        failures=$((failures + 1))
    else
        echo "ok     $name"
    fi
}

# One formula for each message 9..33 but 25 (the variables are set once per run), in order,
# and a result.
batch=$(printf '%s\n' ')(' '(' 'z' 'x' '2a' '.5' '1.2.3' 'sin' 'a5' '(1)2' '2(3)' '()' '2+*3' \
    '' '5.' '*2' '1/0' '0^0' 'tan(exp(1000))' 'cot(0)' 'asin(2)' 'acos(2)' 'ln(0)' 'lg(0)' \
    'sqrt(2)')
batch_statuses="9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 26 27 28 29 30 31 32 33 8"

check "result" 0 "8" "" eval -a 3 '2*(a+1)'
check "syntax message" 1 "21" "" eval '2*-3'
check "variable message" 1 "25" "" eval -b 1,5 'b'
check "evaluation message" 1 "32" "" eval 'ln(a)'
check "widest result (511 characters)" 0 "8" "" eval -d 200 -- '-10^308*1.7'
check "batch: every message" 1 "$batch_statuses" "$batch\n" eval -d 5 --batch
check "batch: variable message on every line" 1 "25 25" '1\n2\n' eval -c x --batch
check "help" 0 "" "" --help
check "info" 0 "" "" info
check "bad usage" 2 "" "" eval -x 1
check "missing module" 2 "" "" eval --module "$scratch/absent/libnumo.so" 1
check "no language file" 3 "" "" eval --module "$scratch/nolang/libnumo.so" 1
check "NUL and a long line in a batch" 5 "8 -1 -1 8" \
    "1\n2\00003\n$(printf '%0600d' 7)\n4\n" eval --batch

if [ $failures -ne 0 ]; then
    echo "memcheck: $failures run(s) failed"
    exit 1
fi
echo "memcheck: all runs clean"
