#!/usr/bin/env bash
# The calculator in a real terminal: runs `numo` in tmux (a private server with its own socket
# folder, a fixed window size, a private HOME and XDG_STATE_HOME), types as a user would and reads
# the screen back with capture-pane, polling with a timeout (a sanitizer build is slow).
# Usage: terminal_test.sh NUMO LANGUAGE-FILE CASE
#   CASE: calculate, decimals, variables, help, close, history, history_files, utf8, russian,
#         resize, signals, crash, keys
set -uo pipefail
# The screen is read in UTF-8: the frame's characters count as one each in the patterns.
export LC_ALL=C.UTF-8

numo=$1
lng=$2
case_name=$3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
timeout=${NUMO_TERMINAL_TIMEOUT:-60} # seconds for one thing to show up on the screen

command -v tmux >/dev/null || {
    echo "tmux is missing (scripts/bootstrap base installs it)"
    exit 1
}

work=$(mktemp -d "${TMPDIR:-/tmp}/numo-terminal.XXXXXX")
export TMUX_TMPDIR=$work/tmux
server=numo-$case_name-$$
tm() { tmux -L "$server" "$@"; }
cleanup() {
    tm kill-server 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$TMUX_TMPDIR" "$work/home" "$work/state"
history_file=$work/state/numo/history

cat >"$work/tmux.conf" <<'EOF'
set -g default-terminal screen
EOF

# Runs numo as a shell command would, then records how it left the terminal.
cat >"$work/run.sh" <<'EOF'
#!/bin/sh
ulimit -c 0 # a crash test leaves no core file behind
name=$1
shift
sh -c 'echo $$ > "$0"; exec "$@"' "$WORK/pid.$name" "$NUMO" "$@"
status=$?
stty -a >"$WORK/stty.$name"
echo "numo exited $status"
# The window stays as numo left it, for the checks (tmux changes a dead pane's modes).
exec sleep 86400
EOF
chmod +x "$work/run.sh"

current= # the window the checks look at

fail() {
    echo "FAIL ($case_name): $*"
    if [ -n "$current" ]; then
        echo "--- screen of window $current:"
        tm capture-pane -p -t "t:$current" 2>/dev/null
        echo "---"
    fi
    exit 1
}

screen() { tm capture-pane -p -t "t:$current"; }

# wait_for REGEX: until a line of the screen matches the extended regex.
wait_for() {
    local deadline=$((SECONDS + timeout))
    until screen | grep -qE -- "$1"; do
        ((SECONDS < deadline)) || fail "timed out waiting for /$1/"
        sleep 0.1
    done
}

# wait_for_text TEXT: until the screen shows the text as it stands.
wait_for_text() {
    local deadline=$((SECONDS + timeout))
    until screen | grep -qF -- "$1"; do
        ((SECONDS < deadline)) || fail "timed out waiting for '$1'"
        sleep 0.1
    done
}

# expect REGEX / expect_no REGEX: the screen shows it now (after a wait proved the keys arrived).
expect() { screen | grep -qE -- "$1" || fail "the screen lacks /$1/"; }
expect_no() { ! screen | grep -qE -- "$1" || fail "the screen shows /$1/"; }

keys() { tm send-keys -t "t:$current" "$@"; }
type_text() { tm send-keys -t "t:$current" -l "$1"; }

session_started=0
numo_args=  # words for numo's command line, set by a case before it starts numo
title='Numo calculator' # the dialog's title in the language numo shows
# launch NAME [ENV=VALUE...]: numo in a new window of 100x30 cells, in a UTF-8 locale.
launch() {
    local name=$1
    shift
    local command="env WORK='$work' NUMO='$numo' HOME='$work/home' XDG_STATE_HOME='$work/state'"
    command+=" LC_ALL=C.UTF-8 $* '$work/run.sh' $name $numo_args"
    if [ $session_started -eq 0 ]; then
        tm -f "$work/tmux.conf" new-session -d -s t -n "$name" -x 100 -y 30 "$command" ||
            fail "tmux would not start"
        session_started=1
    else
        tm new-window -d -t t: -n "$name" "$command" || fail "tmux would not open a window"
    fi
    current=$name
}

# start NAME [ENV=VALUE...]: launch, and wait for the dialog.
start() {
    launch "$@"
    wait_for "╔═+ $title ═+╗"
}

# The text of message n of the language file (the (n+1)th quoted line), as far as the result
# field (54 columns) shows it; in UTF-8, from the file's code page (ASCII unless given).
message() {
    local file=${2:-$lng} charset=${3:-ASCII}
    LC_ALL=C grep '^[[:space:]]*"' "$file" | sed -n "$(($1 + 1))p" |
        LC_ALL=C sed 's/^[[:space:]]*"//; s/"[[:space:]]*$//' | LC_ALL=C cut -c1-54 |
        iconv -f "$charset" -t UTF-8
}

# ended STATUS: numo has exited with that status and left the terminal as it found it: canonical
# mode and echo (stty), the shell's screen back, cursor visible, keypad in numeric mode.
ended() {
    wait_for '^numo exited [0-9]+$'
    expect "^numo exited $1\$"
    local stty=$work/stty.$current
    [ -s "$stty" ] || fail "no stty record"
    grep -qw -- icanon "$stty" && ! grep -qw -- -icanon "$stty" || fail "icanon is off: $(cat "$stty")"
    ! grep -qw -- -echo "$stty" || fail "echo is off: $(cat "$stty")"
    local flags
    flags=$(tm display -p -t "t:$current" '#{alternate_on} #{keypad_flag} #{cursor_flag}')
    [ "$flags" = "0 0 1" ] ||
        fail "terminal left with alternate screen, keypad mode, cursor flag = $flags (want 0 0 1)"
}

numo_pid() { cat "$work/pid.$current"; }

# --- The cases.
case_calculate() {
    start calc
    wait_for_text "║ $(message 22)"
    type_text '1+2*3'
    wait_for '║ 7\.000 +║'
    expect '║ 1\+2\*3 +↓║'
    expect '║ 1 2 3 \* \+ +║'
    expect '║ 7 +HEX ║'
    expect '║ 111 +BIN ║'
    keys C-y
    type_text '2*-3'
    wait_for_text "║ $(message 21)"
    expect '║ 2\*-3 +↓║'
    expect '^ +║ +HEX ║$'
    expect '^ +║ +BIN ║$'
    keys Escape
    ended 0
}

case_decimals() {
    start decimals
    type_text '1/3'
    wait_for '║ 0\.333 +║'
    keys KP+
    wait_for '║ 0\.3333 +║'
    expect '║ 1/3 +↓║' # the keypad's plus typed nothing
    keys KP- KP-
    wait_for '║ 0\.33 +║'
    expect '║ 1/3 +↓║'
    keys M-=
    wait_for '║ 0\.333 +║'
    keys M--
    wait_for '║ 0\.33 +║'
    expect '║ 1/3 +↓║'
    type_text '+' # the main keyboard's plus types
    wait_for '║ 1/3\+ +↓║'
    wait_for_text "║ $(message 23)"
    type_text '1'
    wait_for '║ 1\.33 +║' # two decimals still
    keys Escape
    ended 0
}

case_variables() {
    start vars
    type_text 'a*2+b'
    wait_for '║ a 2 \* b \+ +║'
    keys Tab Tab BSpace
    wait_for '║a= {17}b= 0 '
    type_text '5'
    wait_for '║ 10\.000 +║'
    expect '║a= 5 {15}b= 0 '
    keys Tab BSpace
    type_text '0.5'
    wait_for '║ 10\.500 +║'
    keys BTab BTab BTab # back to the formula
    type_text '*2'
    wait_for '║ a\*2\+b\*2 +↓║'
    wait_for '║ 11\.000 +║'
    keys Escape
    ended 0
}

case_help() {
    start help
    type_text '2^3'
    wait_for '║ 8\.000 +║'
    keys F1
    wait_for '═ Help ═'
    expect 'left-associative'
    expect_no 'Formula:'
    keys End
    wait_for 'two operators side by side'
    keys Home
    wait_for 'Numbers +decimal'
    keys Escape
    wait_for 'Formula:'
    expect '║ 2\^3 +↓║'
    expect '║ 8\.000 +║'
    keys Escape
    ended 0
}

# Esc in an interactive shell: the prompt comes back, and the terminal is as it was.
case_close() {
    tm -f "$work/tmux.conf" new-session -d -s t -n shell -x 100 -y 30 \
        "env -i PATH='$PATH' TERM=screen HOME='$work/home' XDG_STATE_HOME='$work/state' LC_ALL=C.UTF-8 ${ASAN_OPTIONS:+ASAN_OPTIONS='$ASAN_OPTIONS'} ${UBSAN_OPTIONS:+UBSAN_OPTIONS='$UBSAN_OPTIONS'} PS1='numo-test\$ ' bash --norc --noprofile -i" ||
        fail "tmux would not start"
    session_started=1
    current=shell
    wait_for '^numo-test\$ ?$'
    type_text "'$numo'"
    keys Enter
    wait_for '╔═+ Numo calculator ═+╗'
    type_text '6*7'
    wait_for '║ 42\.000 +║'
    keys Escape
    wait_for '^numo-test\$ ?$'
    expect_no 'Numo calculator'
    type_text 'echo "status $?"; stty -a | tr " " "\n" | grep -x -e icanon -e -icanon -e echo -e -echo | tr "\n" " "; echo'
    keys Enter
    wait_for '^status 0$'
    wait_for '^icanon echo ?$'
    [ "$(tm display -p -t t:shell '#{alternate_on} #{keypad_flag} #{cursor_flag}')" = "0 0 1" ] ||
        fail "the terminal's modes were not put back"
    [ ! -e "$history_file" ] || fail "Esc kept the formula in the history: $(cat "$history_file")"
}

case_history() {
    # A damaged file: junk and one good line; the calculator starts all the same.
    mkdir -p "$(dirname "$history_file")"
    printf 'junk without a tab\n\377\376 binary\tbad\\escape\nNumo\\\\Numoline\t2+2\n' >"$history_file"
    start first
    wait_for '║ 2\+2 +↓║'
    wait_for '║ 4\.000 +║'
    keys C-y
    type_text '6*7'
    wait_for '║ 42\.000 +║'
    keys Enter
    ended 0

    start second
    wait_for '║ 6\*7 +↓║'
    wait_for '║ 42\.000 +║'
    keys C-y
    type_text '1+1'
    wait_for '║ 2\.000 +║'
    keys Enter
    ended 0

    start third
    wait_for '║ 1\+1 +↓║'
    keys C-Down
    wait_for '═ History ═'
    expect '║ 2\+2 +║'
    expect '║ 6\*7 +║'
    expect '║ 1\+1 +║'
    keys Up Enter
    wait_for '║ 6\*7 +↓║'
    wait_for '║ 42\.000 +║'
    expect_no 'History'
    keys Escape
    ended 0

    local want
    want=$(printf 'Numo\\\\Numoline\t2+2\nNumo\\\\Numoline\t6*7\nNumo\\\\Numoline\t1+1')
    [ "$(cat "$history_file")" = "$want" ] || fail "history file: $(od -c "$history_file")"
}

# Typed characters become the host's (code page 437 for English): one it has is one character
# in the field, shown as itself; one it lacks is one '?'.
case_utf8() {
    start utf8
    type_text '1+é€'
    wait_for_text "║ $(message 11)"
    # Four characters, four cells: the frame's right edge stays where it was.
    expect '^ {21}║ 1\+é\? {50}↓║$'
    expect '^ {21}╔═+ Numo calculator ═+╗$'
    keys BSpace BSpace
    wait_for_text "║ $(message 23)"
    type_text '1'
    wait_for '║ 2\.000 +║'
    keys Escape
    ended 0
}

# Russian in a UTF-8 terminal: the host's code page 866 shown as Cyrillic, laid out one
# character a cell, and Cyrillic typed into the field as the host's characters.
case_russian() {
    local ru
    ru="$(dirname "$lng")/numo_ru.lng"
    numo_args='--lang Russian'
    title=$(message 0 "$ru" CP866)
    start russian
    expect "║ $(message 1 "$ru" CP866) +║"
    type_text '1/0'
    wait_for_text "║ $(message 26 "$ru" CP866)"
    expect '^ {21}║ 1/0 {51}↓║$'
    keys BSpace BSpace BSpace
    type_text 'ж'
    wait_for_text "║ $(message 11 "$ru" CP866)"
    expect '^ {21}║ ж {53}↓║$'
    expect "^ {21}╔═+ $title ═+╗\$"
    keys Escape
    ended 0
}

case_resize() {
    start resize
    expect '^ {21}╔' # (100 - 64) / 2 + 3
    tm resize-window -t t -x 50 -y 10
    wait_for 'the calculator needs 64x15'
    type_text '7' # unseen: typed nowhere
    tm resize-window -t t -x 80 -y 24
    wait_for '^ {11}╔═+ Numo calculator ═+╗' # (80 - 64) / 2 + 3
    expect_no '║ 7 +↓║'
    type_text '9'
    wait_for '║ 9\.000 +║'
    keys Escape
    ended 0
}

case_signals() {
    start ctrlc
    type_text '5*5'
    wait_for '║ 25\.000 +║'
    keys C-c
    ended 0

    start hup
    kill -HUP "$(numo_pid)"
    ended 129

    start term
    kill -TERM "$(numo_pid)"
    ended 143

    start int
    type_text '1'
    wait_for '║ 1\.000 +║'
    kill -INT "$(numo_pid)"
    ended 0
    [ ! -e "$history_file" ] || fail "an interrupted dialog kept its formula: $(cat "$history_file")"

    # The terminal itself goes away: numo notices and ends.
    start gone
    local pid deadline=$((SECONDS + timeout))
    pid=$(numo_pid)
    tm kill-window -t t:gone
    current=
    while kill -0 "$pid" 2>/dev/null; do
        ((SECONDS < deadline)) || fail "numo $pid still runs after its terminal went away"
        sleep 0.1
    done
}

# A crash signal after the dialog is drawn (a hidden debugging switch of the program): the
# terminal is put back before the process dies of the signal.
case_crash() {
    launch crash NUMO_DEBUG_CRASH_AFTER_DRAWING=1
    ended 139
}

# The history file where it cannot be kept: the dialog still opens and works, and closing with
# Enter says in one line on standard error why the formula was not kept.
case_history_files() {
    # A FIFO: never opened blocking, so the dialog comes up.
    mkdir -p "$(dirname "$history_file")"
    mkfifo "$history_file"
    start fifo
    type_text '2*3'
    wait_for '║ 6\.000 +║'
    keys Enter
    wait_for '^numo: the formula was not kept in the history: ' # a long line: wrapped
    wait_for 'a FIFO'
    ended 0
    [ -p "$history_file" ] || fail "the FIFO was replaced"
    rm -f "$history_file"

    # Neither HOME nor XDG_STATE_HOME.
    start nohome HOME= XDG_STATE_HOME=
    type_text '2*4'
    wait_for '║ 8\.000 +║'
    keys Enter
    wait_for '^numo: the formula was not kept in the history: neither XDG_STATE_HOME nor HOME'
    ended 0

    # Another process holds the lock: numo shows that it waits, then gives up.
    # This shell holds it (the tmux server, which starts numo, was started before: it does not
    # inherit the descriptor).
    command -v flock >/dev/null || fail "flock (util-linux) is missing"
    exec 9>"$history_file.lock"
    flock -n 9 || fail "could not take the lock"
    start locked
    type_text '2*5'
    wait_for '║ 10\.000 +║'
    keys Enter
    wait_for 'Waiting for the history file: another numo is writing it'
    wait_for '^numo: the formula was not kept in the history: another numo held '
    wait_for 'history\.lock for longer than'
    ended 0
    exec 9>&-
    [ ! -e "$history_file" ] || fail "written without the lock: $(cat "$history_file")"
}

# The keys of tests/terminal/keys.txt, under each TERM there, as that terminal sends them: what
# the dialog did with each. First a terminal that cannot place the cursor, which is refused.
case_keys() {
    launch dumb TERM=dumb
    wait_for '^numo: the terminal TERM=dumb cannot place the cursor'
    ended 2

    local term
    for term in $(awk '!/^#/ && NF == 3 && !seen[$1]++ { print $1 }' "$here/keys.txt"); do
        keys_under "$term"
    done
}

# The regex of a text that matches it as it stands.
literal() { sed 's/[][\.*^$+?(){}|/]/\\&/g' <<<"$1"; }

keys_under() {
    local term=$1
    declare -A bytes=()
    local t key b
    while read -r t key b; do
        [ "$t" = "$term" ] && bytes[$key]=$b
    done < <(grep -v '^#' "$here/keys.txt")
    # press KEY [FALLBACK]: the key's bytes as this terminal sends them, else the main
    # keyboard's text FALLBACK; false when there is neither.
    press() {
        if [ -n "${bytes[$1]:-}" ]; then
            tm send-keys -t "t:$current" -H $(printf '%b' "${bytes[$1]}" | od -An -tx1)
        elif [ -n "${2:-}" ]; then
            type_text "$2"
        else
            return 1
        fi
    }
    has() { [ -n "${bytes[$1]:-}" ]; }
    formula_is() { wait_for "║ $(literal "$1") +↓║"; }

    mkdir -p "$(dirname "$history_file")"
    printf 'Numo\\\\Numoline\t5*5\n' >"$history_file"
    start "$term" TERM="$term"
    formula_is '5*5'
    keys C-y
    press kp1 1 && press kp/ / && press kp3 3
    formula_is '1/3'
    wait_for '║ 0\.333 +║'
    if has kp+; then
        press kp+
        wait_for '║ 0\.3333 +║'
        press kp-
        wait_for '║ 0\.333 +║'
    fi
    press kp- || fail "$term: no keypad minus in the table"
    wait_for '║ 0\.33 +║'
    formula_is '1/3' # the keypad's plus and minus typed nothing
    press kp* '*' && press kp2 2 && press kp. . && press kp5 5
    formula_is '1/3*2.5'
    wait_for '║ 0\.83 +║'
    type_text '+'
    press kp4 4 && press kp6 6 && press kp7 7 && press kp8 8 && press kp9 9 && press kp0 0
    formula_is '1/3*2.5+467890'
    wait_for '║ 467890\.83 +║'
    local formula='1/3*2.5+467890'
    if press home; then
        type_text '2'
        formula="2$formula"
        formula_is "$formula"
        press end || fail "$term: Home without End in the table"
    fi
    type_text '+1'
    formula_is "$formula+1"
    press left
    type_text '9'
    formula_is "$formula+91"
    press right
    type_text '0'
    formula="$formula+910"
    formula_is "$formula"
    if press ctrl-down; then
        wait_for '═ History ═'
        expect '║ 5\*5 +║'
        keys Escape
        wait_for 'Postfix form:'
        formula_is "$formula"
    fi
    press f1
    wait_for '═ Help ═'
    keys Escape
    wait_for 'Postfix form:'
    press down
    press down
    type_text '5'
    wait_for '║a= 05 '
    press up      # the postfix form, which takes no typing
    press shift-tab || press up # the formula
    type_text '7'
    formula="${formula}7"
    formula_is "$formula"
    press kpenter # Enter: closes and keeps the formula
    ended 0
    [ "$(tail -n 1 "$history_file")" = "$(printf 'Numo\\\\Numoline\t%s' "$formula")" ] ||
        fail "$term: history file: $(cat "$history_file")"
}

declare -F "case_$case_name" >/dev/null || fail "no case '$case_name'"
"case_$case_name"
echo "PASS ($case_name)"
