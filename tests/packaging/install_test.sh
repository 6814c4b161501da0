#!/usr/bin/env bash
# `cmake --install` of the build into a DESTDIR, then the installed program run from there: it
# finds the module (and the module its language files) in the installed tree relative to its
# own real path, also after the tree is moved and through a symbolic link, and says which module
# file it loaded.
# Usage: install_test.sh BUILD-DIR
set -uo pipefail
build=$(cd "$1" && pwd)
passed=0
failed=0
check() { # check WHAT EXPECTED ACTUAL
    if [ "$2" == "$3" ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAIL: $1"
        diff <(echo "$2") <(echo "$3") | sed -n 's/^[<>]/  &/p'
    fi
}
dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT

DESTDIR=$dest/stage cmake --install "$build" >/dev/null || { echo "FAIL: cmake --install"; exit 1; }
cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
prefix=$(cache CMAKE_INSTALL_PREFIX)
bindir=$(cache CMAKE_INSTALL_BINDIR)
libdir=$(cache CMAKE_INSTALL_LIBDIR)
tree=$dest/stage$prefix

want=("$bindir/numo" "$libdir/numo/libnumo.so" share/man/man1/numo.1 share/doc/numo/README.md
    share/doc/numo/LICENSE share/doc/numo/CHANGELOG.md share/bash-completion/completions/numo)
for lang in "$build"/bin/numo_*.lng "$build"/bin/numo_*.hlf; do
    want+=("$libdir/numo/${lang##*/}")
done
check "installed files" "$(printf '%s\n' "${want[@]}" | sort)" \
    "$(cd "$tree" && find . -type f -printf '%P\n' | sort)"

block=$(printf '%s\n' 'postfix: 2 a 1 + *' 'result: 8.000' 'hex: 8' 'bin: 1000' 'status: 8')
# run_installed WHERE PROGRAM: eval and info from an empty working folder.
run_installed() {
    local where=$1 program=$2 module=$3
    check "$where: numo eval" "$block" "$(cd "$dest" && "$program" eval -a 3 '2*(a+1)' 2>&1)"
    check "$where: numo info names the module" "module: $module" \
        "$(cd "$dest" && "$program" info 2>&1 | grep '^module: ')"
}
run_installed "installed" "$tree/$bindir/numo" "$tree/$libdir/numo/libnumo.so"

# Moved elsewhere: no path of the install is compiled in.
mv "$dest/stage" "$dest/moved"
tree=$dest/moved$prefix
run_installed "moved" "$tree/$bindir/numo" "$tree/$libdir/numo/libnumo.so"

# Called through a link in another folder: the module is found from the program's real path.
mkdir "$dest/links"
ln -s "$tree/$bindir/numo" "$dest/links/numo"
run_installed "through a link" "$dest/links/numo" "$tree/$libdir/numo/libnumo.so"

# --module still wins over the installed module.
check "--module overrides" "module: $build/bin/libnumo.so" \
    "$("$tree/$bindir/numo" --module "$build/bin/libnumo.so" info 2>&1 | grep '^module: ')"

# Without its module the program says where it looked, and exits with 3: the module unusable.
rm "$tree/$libdir/numo/libnumo.so"
out=$("$tree/$bindir/numo" info 2>&1)
status=$?
check "no module: exit status" 3 "$status"
check "no module: names the folder it looked in" "yes" \
    "$(grep -qF "$tree/$libdir/numo/libnumo.so" <<<"$out" && echo yes)"

echo "install: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
