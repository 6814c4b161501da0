#!/usr/bin/env bash
# scripts/check-layers passes on the tree as it is, and fails, naming the file and line, on each
# include that crosses a layer the wrong way, in either include form (run on a copy of the tree's
# sources); a new folder of sources without a rule fails too.
set -uo pipefail
src=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fails=0
runs=1

copy_tree() {
    rm -rf "$work/tree"
    mkdir -p "$work/tree"
    for d in platform far engine services dialog host hostsim console tests bench fuzz; do
        cp -r "$src/$d" "$work/tree/"
    done
}

copy_tree
if ! "$src/scripts/check-layers" "$work/tree" >/dev/null; then
    echo "FAIL: the tree as it is does not pass"
    fails=$((fails + 1))
fi

# file to spoil | line added
while IFS='|' read -r file include; do
    runs=$((runs + 1))
    copy_tree
    lines=$(wc -l <"$work/tree/$file")
    echo "$include" >>"$work/tree/$file"
    out=$("$src/scripts/check-layers" "$work/tree" 2>&1)
    rc=$?
    if [ $rc -eq 0 ] || ! grep -qF "$file:$((lines + 1)):" <<<"$out"; then
        echo "FAIL: $file with $include: exit $rc, report: $out"
        fails=$((fails + 1))
    fi
done <<'CASES'
engine/signs.cpp|#include "dialog/calculator.h"
engine/postfix.h|#include "hostsim/host.h"
engine/evaluator.cpp|#include "far/far_api.h"
engine/evaluator.cpp|#include <services/services.h>
host/plugin.cpp|#include "console/cli.h"
dialog/recalc.cpp|#include "hostsim/dialog.h"
dialog/recalc.cpp|#include "host/plugin.h"
dialog/layout.cpp|#include <host/plugin.h>
dialog/dlgproc.cpp|  #  include "../host/plugin.h"
services/services.cpp|#include "dialog/calculator.h"
hostsim/host.cpp|#include "dialog/calculator.h"
hostsim/dialog.h|#include "engine/status.h"
far/far_api.h|#include "engine/status.h"
platform/heap.cpp|#include <engine/heap.h>
console/cli.cpp|#include "engine/status.h"
bench/bench_host.cpp|#include "host/plugin.h"
CASES

# A folder of sources the table does not know.
runs=$((runs + 1))
copy_tree
mkdir -p "$work/tree/extra"
echo '#include "engine/status.h"' >"$work/tree/extra/x.cpp"
out=$("$src/scripts/check-layers" "$work/tree" 2>&1)
if [ $? -eq 0 ] || ! grep -qF "extra/" <<<"$out"; then
    echo "FAIL: a folder without a rule passed: $out"
    fails=$((fails + 1))
fi

echo "$((runs - fails)) passed, $fails failed"
[ $fails -eq 0 ]
