#!/usr/bin/env bash
# scripts/check-layers passes on the tree as it is, and fails, naming the file and line, on each
# include that crosses a layer the wrong way (run on a copy of the tree's sources).
set -uo pipefail
src=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fails=0
runs=1

copy_tree() {
    rm -rf "$work/tree"
    mkdir -p "$work/tree"
    for d in platform far engine dialog host hostsim console; do cp -r "$src/$d" "$work/tree/"; done
}

copy_tree
if ! "$src/scripts/check-layers" "$work/tree" >/dev/null; then
    echo "FAIL: the tree as it is does not pass"
    fails=$((fails + 1))
fi

# file to spoil | include added
while IFS='|' read -r file include; do
    runs=$((runs + 1))
    copy_tree
    lines=$(wc -l <"$work/tree/$file")
    echo "#include \"$include\"" >>"$work/tree/$file"
    out=$("$src/scripts/check-layers" "$work/tree" 2>&1)
    rc=$?
    if [ $rc -eq 0 ] || ! grep -qF "$file:$((lines + 1)):" <<<"$out"; then
        echo "FAIL: $file including $include: exit $rc, report: $out"
        fails=$((fails + 1))
    fi
done <<'CASES'
engine/signs.cpp|dialog/calculator.h
engine/postfix.h|hostsim/host.h
engine/evaluator.cpp|far/far_api.h
host/plugin.cpp|console/cli.h
dialog/recalc.cpp|hostsim/dialog.h
hostsim/host.cpp|dialog/calculator.h
hostsim/dialog.h|engine/status.h
far/far_api.h|engine/status.h
platform/heap.cpp|engine/heap.h
CASES

echo "$((runs - fails)) passed, $fails failed"
[ $fails -eq 0 ]
