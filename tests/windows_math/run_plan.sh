#!/usr/bin/env bash
# Runs every batch of a numo-mathdiff plan through one program's `eval --batch -d 200` and
# writes the blocks it prints, in the plan's order, to OUTPUT (its standard error to
# OUTPUT.stderr). The program is given as a command: `build/release/bin/numo`, or
# `wine dist/windows/Numo/numo.exe`.
# Usage: run_plan.sh PLAN OUTPUT COMMAND [WORDS...]
set -uo pipefail
# Formulas are bytes: in a UTF-8 locale bash's read takes a stray byte such as \xe9 together with
# the newline after it, joining two formulas.
export LC_ALL=C
plan=$1
output=$2
shift 2
: >"$output"
: >"$output.stderr"

options=()
formulas=()
run_batch() {
    [ ${#formulas[@]} -eq 0 ] && return
    # The exit status tells only whether some formula failed; the blocks tell which, and a
    # program that stopped half-way leaves fewer blocks than formulas, which the comparison sees.
    printf '%s\n' "${formulas[@]}" | "$@" eval "${options[@]}" -d 200 --batch \
        >>"$output" 2>>"$output.stderr"
    formulas=()
}
while IFS= read -r line || [ -n "$line" ]; do
    if [[ "$line" == "batch "* ]]; then
        run_batch "$@"
        read -ra words <<<"${line#batch }"
        options=("${words[@]:1}") # the words after the kind
    else
        formulas+=("$line")
    fi
done <"$plan"
run_batch "$@"
