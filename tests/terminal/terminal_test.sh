#!/usr/bin/env bash
# The calculator in a real terminal: runs `numo` in tmux (a private server with its own socket
# folder, a fixed window size, a private HOME and XDG_STATE_HOME), types as a user would and reads
# the screen back with capture-pane, polling with a timeout (a sanitizer build is slow).
# Usage: terminal_test.sh NUMO LANGUAGE-FILE CASE
#   CASE: calculate, decimals, variables, help, close, history, history_files, utf8, russian,
#         resize, signals, crash, keys, scenarios (a table of rows; NUMO_SCENARIO=NAME runs one)
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
set -g set-clipboard on
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

# --- The table of scenarios: one row a line, "name | steps", the steps shell commands of the
# small language below, run in order; a row passes when every step does. Rows run one after
# another, each in its own window of one tmux server, and a failed row does not stop the rest.
scenario_table() {
    cat <<'EOF'
# Pasted text is text: bracketed paste is on, so line ends and tabs never act as keys.
paste_newline      | shell ; paste '7*6\ntouch FILE\n' ; formula '7*6touch FILE' ; keys Escape ; prompt ; absent FILE
paste_tab          | dialog ; paste '1+2\t5' ; formula '1+25' ; result 26.000
paste_cut_to_field | dialog ; paste "$(repeat 1 300)\n$(repeat 2 300)" ; keys Enter ; ended 0 ; history_last "$(repeat 1 300)$(repeat 2 211)"
# Escape sequences that mean nothing to the dialog are read whole and dropped.
unknown_sequence   | dialog ; hex 1b 5b 39 39 7e ; text 1 ; formula 1 ; result 1.000
mouse_report       | dialog ; hex 1b 5b 4d 20 21 21 ; text 2 ; formula 2
mouse_report_sgr   | dialog ; hex 1b 5b 3c 30 3b 35 3b 35 4d ; text 3 ; formula 3
# The host's editing keys, and readline's.
ctrl_left          | dialog ; text 'sin(a)+12' ; keys C-Left ; text 3 ; formula 'sin(a)+312'
ctrl_right_alt_b_f | dialog ; text '12+34' ; keys Home C-Right ; text 9 ; formula '12+934' ; keys M-b ; text 8 ; formula '12+8934' ; keys M-f ; text 0 ; formula '12+89340'
ctrl_a_ctrl_e      | dialog ; text '1+2' ; keys C-a ; text 9 ; keys C-e ; text 0 ; formula '91+20'
ctrl_backspace     | dialog ; text '12+345' ; hex 08 ; formula '12+'
ctrl_w             | dialog ; text '12+345' ; keys C-w ; formula '12+'
ctrl_del           | dialog ; text '12+34' ; keys Home C-DC ; formula '34'
ctrl_k_ctrl_u      | dialog ; text '12+34' ; keys Left Left C-k ; formula '12+' ; text 5 ; keys Left C-u ; formula 5
shift_selects      | dialog ; text '12+34' ; keys S-Home ; text 7 ; formula 7 ; text '*89' ; keys S-Left S-Left ; text 6 ; formula '7*6'
copy_and_paste     | dialog ; text '6*7' ; keys S-Left S-Left C-IC ; clipboard '*7' ; keys End S-IC ; formula '6*7*7' ; result 294.000
undo               | dialog ; text '1+2' ; keys BSpace ; formula '1+' ; keys M-BSpace ; formula '1+2' ; hex 1f ; formula '1+'
# Every signal whose default ends numo puts the terminal back first.
signal_quit        | dialog ; signal QUIT ; ended 131
signal_usr1        | dialog ; signal USR1 ; ended 138
signal_usr2        | dialog ; signal USR2 ; ended 140
signal_alrm        | dialog ; signal ALRM ; ended 142
signal_vtalrm      | dialog ; signal VTALRM ; ended 154
signal_prof        | dialog ; signal PROF ; ended 155
signal_xcpu        | dialog ; signal XCPU ; ended 152
signal_xfsz        | dialog ; signal XFSZ ; ended 153
signal_pipe        | dialog ; signal PIPE ; ended 141
signal_trap        | dialog ; signal TRAP ; ended 133
signal_sys         | dialog ; signal SYS ; ended 159
# Stopped and continued from an interactive shell: raw again, and drawn anew.
stop_then_fg       | shell ; text 4 ; formula 4 ; signal STOP ; shows 'Stopped' ; shows '^numo-test\$' ; text fg ; keys Enter ; gone 'Stopped' ; text 2 ; formula 42 ; keys Escape ; prompt ; status 0
ctrl_z_suspends    | shell ; text 5 ; formula 5 ; keys C-z ; shows 'Stopped' ; prompt ; alternate 0 ; text fg ; keys Enter ; gone 'Stopped' ; text 1 ; formula 51 ; keys Escape ; prompt ; status 0
# A history file keeps its mode; a read-only one is not written, and numo says so at closing.
history_read_only  | history_of 0444 '5*5' ; dialog ; keys C-y ; text '2*3' ; result 6.000 ; keys Enter ; shows 'the formula was not kept in the history' ; shows 'mode 0444\)' ; ended 0 ; history_mode 444 ; history_last '5*5'
history_mode_kept  | history_of 0640 '5*5' ; dialog ; keys C-y ; text '2*3' ; result 6.000 ; keys Enter ; ended 0 ; history_mode 640 ; history_last '2*3'
# The stand-in host's own texts in the host's language, and wrapped where the room is short.
# A locale that asks for Russian in a character set without Cyrillic (LANG=ru is ASCII).
locale_without_cyrillic | launch "$row" LC_ALL= LANG=ru ; shows ' Numo calculator ' ; shows 'Formula:' ; keys Escape ; ended 0
russian_help       | dialog --lang Russian ; keys F1 ; shows '═ Помощь ═' ; keys Escape ; gone 'Помощь' ; keys Escape ; ended 0
russian_history    | history_of 0600 '5*5' ; dialog --lang Russian ; keys C-Down ; shows '═ История ═' ; keys Escape ; gone 'История' ; keys Escape ; ended 0
russian_too_small  | dialog --lang Russian ; resize 50 10 ; shows 'калькулятору нужно 64x15' ; keys Escape ; ended 0
russian_lock_wait  | lock ; dialog --lang Russian ; keys C-y ; text '2*5' ; keys Enter ; shows 'Ждём файл истории' ; ended 0
help_too_small     | dialog ; keys F1 ; shows '═ Help ═' ; resize 20 5 ; shows '^The terminal is too$' ; shows '^small for the help\.' ; keys Escape ; shows 'calculator needs' ; keys Escape ; ended 0
EOF
}

# --- The steps of a row. `current` is the row's window, named after the row.
repeat() { printf "%${2}s" "" | tr ' ' "$1"; }
# dialog [ENV=VALUE...] [numo's options]: numo started as the other cases start it.
dialog() {
    local env=() arg
    numo_args=
    for arg in "$@"; do
        if [[ $arg == *=* ]]; then env+=("$arg"); else numo_args+=" $arg"; fi
    done
    [[ $numo_args == *Russian* ]] && title=$(message 0 "$(dirname "$lng")/numo_ru.lng" CP866)
    start "$row" "${env[@]}"
}
# shell [numo's options]: numo typed into an interactive bash, started in the work folder.
shell() {
    tm new-window -d -t t: -n "$row" -c "$work" \
        "env -i PATH='$PATH' TERM=screen HOME='$work/home' XDG_STATE_HOME='$work/state' LC_ALL=C.UTF-8 ${ASAN_OPTIONS:+ASAN_OPTIONS='$ASAN_OPTIONS'} ${UBSAN_OPTIONS:+UBSAN_OPTIONS='$UBSAN_OPTIONS'} PS1='numo-test\$ ' bash --norc --noprofile -i" ||
        fail "tmux would not open a window"
    current=$row
    prompt
    type_text "'$(realpath "$numo")' $*"
    keys Enter
    wait_for "╔═+ $title ═+╗"
}
prompt() { wait_for '^numo-test\$ ?$'; }
# status N: the shell says numo's exit status was N.
status() {
    type_text 'echo "status $?"'
    keys Enter
    wait_for "^status $1\$"
}
paste() {
    printf '%b' "$1" | tm load-buffer -b numo-paste - || fail "tmux would not take the paste"
    tm paste-buffer -p -d -b numo-paste -t "t:$current"
}
hex() { tm send-keys -t "t:$current" -H "$@"; }
text() { type_text "$1"; }
formula() { wait_for "║ $(literal "$1") +↓║"; }
result() { wait_for "║ $(literal "$1") +║"; }
shows() { wait_for "$1"; }
# gone REGEX: until no line of the screen matches.
gone() {
    local deadline=$((SECONDS + timeout))
    while screen | grep -qE -- "$1"; do
        ((SECONDS < deadline)) || fail "timed out waiting for /$1/ to go"
        sleep 0.1
    done
}
absent() {
    sleep 0.5 # anything the shell would run has run by now
    [ ! -e "$work/$1" ] || fail "the shell ran what was pasted: $work/$1 exists"
}
# clipboard TEXT: the terminal's clipboard (tmux's buffer, by OSC 52) holds the text.
clipboard() {
    local deadline=$((SECONDS + timeout))
    until [ "$(tm show-buffer 2>/dev/null)" = "$1" ]; do
        ((SECONDS < deadline)) || fail "the clipboard holds '$(tm show-buffer 2>&1)', not '$1'"
        sleep 0.1
    done
}
# signal NAME: to numo, however it was started.
signal() {
    local pid
    if [ -e "$work/pid.$current" ]; then
        pid=$(numo_pid)
    else
        pid=$(pgrep -P "$(tm display -p -t "t:$current" '#{pane_pid}')" | head -n 1)
    fi
    [ -n "$pid" ] || fail "no numo to signal"
    kill -s "$1" "$pid"
}
alternate() {
    [ "$(tm display -p -t "t:$current" '#{alternate_on}')" = "$1" ] ||
        fail "the alternate screen is $(tm display -p -t "t:$current" '#{alternate_on}'), not $1"
}
resize() { tm resize-window -t "t:$current" -x "$1" -y "$2"; }
# history_of MODE TEXT: a history file of one entry, with that mode.
history_of() {
    mkdir -p "$(dirname "$history_file")"
    printf 'Numo\\\\Numoline\t%s\n' "$2" >"$history_file"
    chmod "$1" "$history_file"
}
history_last() {
    [ "$(tail -n 1 "$history_file")" = "$(printf 'Numo\\\\Numoline\t%s' "$1")" ] ||
        fail "history file: $(cat "$history_file")"
}
history_mode() {
    [ "$(stat -c %a "$history_file")" = "$1" ] ||
        fail "the history file's mode is $(stat -c %a "$history_file"), not $1"
}
# lock: this shell holds the history's lock for the rest of the row.
lock() {
    command -v flock >/dev/null || fail "flock (util-linux) is missing"
    mkdir -p "$(dirname "$history_file")"
    exec 9>"$history_file.lock"
    flock -n 9 || fail "could not take the lock"
}

case_scenarios() {
    tm -f "$work/tmux.conf" new-session -d -s t -n idle -x 100 -y 30 "sleep 86400" ||
        fail "tmux would not start"
    session_started=1
    rm -rf "$work/state" # a link to each row's own folder instead
    local row steps passed=0 failed=()
    while IFS='|' read -r row steps; do
        row=${row%% *}
        [ -z "$row" ] || [[ $row == \#* ]] && continue
        [ -n "${NUMO_SCENARIO:-}" ] && [ "$row" != "$NUMO_SCENARIO" ] && continue
        # Each row in a subshell with a state folder of its own: fail ends the row, not the
        # table.
        if (
            history_file=$work/state-$row/numo/history
            mkdir -p "$work/state-$row"
            ln -sfn "$work/state-$row" "$work/state"
            eval "$steps"
        ) </dev/null; then
            passed=$((passed + 1))
            echo "ok: $row"
        else
            failed+=("$row")
        fi
    done < <(scenario_table)
    echo "scenarios: $passed passed, ${#failed[@]} failed${failed[*]:+: ${failed[*]}}"
    current=
    [ ${#failed[@]} -eq 0 ] || exit 1
}

declare -F "case_$case_name" >/dev/null || fail "no case '$case_name'"
"case_$case_name"
echo "PASS ($case_name)"
