#!/usr/bin/env bash
# Drives the program at a real terminal (a tmux pane) the way a person
# does, and checks the screen.
#
# Usage: tests/terminal_test.sh PROGRAM [PLAIN-PROGRAM]
#
# PROGRAM must have been built with line editing. Three dialogues:
#   1. recall: type 1+2 and 3*4, bring 1+2 back with the up arrow (twice)
#      and run it again, then exit; the screen must show exactly the banner
#      and those lines, and the program must end with status 0.
#   2. plain lines (blanks, a tab, an error line, a command) and Ctrl-D: the
#      screen must be the same as the one PLAIN-PROGRAM shows for the same
#      keys, where PLAIN-PROGRAM reads without an editor. Without it,
#      PROGRAM itself is used with ZORVEX_LIBEDIT naming a missing library,
#      which leaves it without an editor (its notice line is not compared).
#      Ctrl-D must leave the shell's next line on a line of its own.
#      Given PLAIN-PROGRAM, this comparison is the only check run: the
#      others are those of a run without it (ctest's), on the same program.
#   3. plain lines with standard output into a file: the file must hold the
#      same bytes as for the same lines from a pipe.
# Then the session at the terminal: Ctrl-C, a lasting history, Tab, Ctrl-Z
# without job control, a typed trailing CR, the notice without libedit, and
# the terminal's settings after SIGINT, SIGTERM and SIGHUP. Then the history
# file: a FIFO, a trim by one session while another is open, a link, a
# read-only file, a torn last line, and (as root) a link planted by another
# user in a directory both can write.
# Exits 77 (skipped) when tmux is not installed.
set -u

program=$1
plain=${2:-}
if ! command -v tmux >/dev/null 2>&1; then
  echo "terminal_test: tmux is not installed; skipped"
  exit 77
fi

socket="zorvex-terminal-test-$$"
work=$(mktemp -d)
trap 'tmux -L "$socket" kill-server 2>/dev/null; rm -rf "$work"' EXIT
# The history of these sessions stays out of the user's own.
export XDG_STATE_HOME="$work/state"
unset ZORVEX_HISTORY
# A library that is not there: the program must do without line editing.
no_libedit="ZORVEX_LIBEDIT=$work/missing/libedit.so.2"
failures=0
passes=0

tmux_() { tmux -L "$socket" -f /dev/null "$@"; }

# start NAME COMMAND: opens a pane of 80x50 running COMMAND. When it ends,
# the pane's shell writes a closing line with its status right after its
# last output (no line feed of its own first), then waits to be read.
start() {
  tmux_ new-session -d -s "$1" -x 80 -y 50 \
    "$2; printf '[ended with status %d]\n' \$?; exec sleep 600"
}

# screen NAME: the pane's text, from the first line that scrolled off it,
# without blank lines at the end.
screen() {
  tmux_ capture-pane -p -S - -t "$1" | sed -e :a -e '/^\n*$/{$d;N;ba' -e '}'
}

# How long to wait for the program to react; generous, since a loaded
# machine or a sanitizer build can be slow.
WAIT_SECONDS=60

# wait_for NAME TEST: waits up to WAIT_SECONDS until TEST (a shell function
# given the screen on standard input) succeeds.
wait_for() {
  local deadline=$((SECONDS + WAIT_SECONDS))
  while ((SECONDS < deadline)); do
    if screen "$1" | "$2"; then
      return 0
    fi
    sleep 0.02
  done
  echo "terminal_test: timed out in $1 waiting for $2; the screen:"
  screen "$1" | sed 's/^/  | /'
  return 1
}

# A fresh prompt is waiting when the last line is the prompt alone and the
# number of prompt lines has grown to $prompts.
prompts=0
prompt_waiting() {
  local text
  text=$(cat)
  [ "$(printf '%s\n' "$text" | tail -n 1)" = ">" ] &&
    [ "$(printf '%s\n' "$text" | grep -c '^>')" -ge "$prompts" ]
}
ended() { grep -q '\[ended with status [0-9]*\]$'; }

# editing NAME: waits until the pane's terminal is in the editor's
# character-at-a-time mode, so that no key meets the line discipline first.
editing() {
  local tty
  tty=$(tmux_ display-message -p -t "$1" '#{pane_tty}')
  local deadline=$((SECONDS + WAIT_SECONDS))
  while ((SECONDS < deadline)); do
    if stty -F "$tty" 2>/dev/null | grep -q -- '-icanon'; then
      return 0
    fi
    sleep 0.02
  done
  echo "terminal_test: the editor in $1 never took the terminal"
  return 1
}

# The last line of the screen is $shown.
shown=
showing() { [ "$(tail -n 1)" = "$shown" ]; }

# dialogue NAME COMMAND EDITS STEP...: runs COMMAND and takes each STEP
# after the next prompt has appeared (and, when EDITS is yes, the editor
# has taken the terminal). A step "type:TEXT" types TEXT literally and
# presses Enter; a step "keys:LIST" sends the tmux key names in LIST.
# Three steps wait for no prompt: "show:TEXT" waits until the last line is
# TEXT, "until:TEST" until the function TEST succeeds on the screen (as in
# wait_for), and "now:LIST" sends the keys in LIST at once.
dialogue() {
  local name=$1 command=$2 edits=$3
  shift 3
  # A key list is split into words but never matched against file names.
  local -
  set -f
  start "$name" "$command" || return 1
  prompts=1
  local step
  for step in "$@"; do
    case $step in
      show:*) shown=${step#show:} && wait_for "$name" showing || return 1 ;;
      until:*) wait_for "$name" "${step#until:}" || return 1 ;;
      # shellcheck disable=SC2086  # a key list is several words
      now:*) tmux_ send-keys -t "$name" ${step#now:} ;;
    esac
    case $step in show:* | until:* | now:*) continue ;; esac
    wait_for "$name" prompt_waiting || return 1
    if [ "$edits" = yes ]; then
      editing "$name" || return 1
    fi
    case $step in
      type:*) tmux_ send-keys -t "$name" -l "${step#type:}" && tmux_ send-keys -t "$name" Enter ;;
      # shellcheck disable=SC2086  # a key list is several words
      keys:*) tmux_ send-keys -t "$name" ${step#keys:} ;;
    esac
    prompts=$((prompts + 1))
  done
  wait_for "$name" ended || return 1
  screen "$name" >"$work/$name.screen"
}

check() {
  if "$@"; then
    passes=$((passes + 1))
  else
    failures=$((failures + 1))
  fi
}

# The banner as the terminal shows it: trailing blanks are not kept.
"$program" </dev/null | sed -e 's/ *$//' -e '$d' >"$work/banner"

recall() {
  dialogue recall "$program" yes "type:1+2" "type:3*4" "keys:Up Up Enter" "type:exit" || return 1
  {
    cat "$work/banner"
    printf '%s\n' "> 1+2" "= 3" "> 3*4" "= 12" "> 1+2" "= 3" "> exit" "[ended with status 0]"
  } >"$work/recall.expected"
  if ! cmp -s "$work/recall.expected" "$work/recall.screen"; then
    echo "terminal_test: recall: the screen differs from the expected one:"
    diff "$work/recall.expected" "$work/recall.screen"
    return 1
  fi
}

plain_lines() {
  local reference=$plain
  [ -n "$reference" ] || reference="$no_libedit $program"
  local steps=("type:1+2" "type:  x = 2 * (3+4)" $'type:2\t*3' "type:y+1" "type:showvars"
    "type:Help me" "keys:C-d")
  dialogue edited "$program" yes "${steps[@]}" || return 1
  dialogue plain "$reference" no "${steps[@]}" || return 1
  local ok=0
  sed -i '/^zorvex: line editing unavailable: /,/^-----/{/^-----/!d}' "$work/plain.screen"
  if ! diff "$work/plain.screen" "$work/edited.screen" >"$work/plain.diff"; then
    echo "terminal_test: plain lines: the screen differs from the one without the editor:"
    cat "$work/plain.diff"
    ok=1
  fi
  # Guard against two equally wrong screens.
  local line
  for line in "= 3" "= 14" "= 6" "Error: Variable 'y' is undeclared. It is used as 0.0 ." \
    "> showvars" "[ended with status 0]"; do
    if ! grep -qxF "$line" "$work/edited.screen"; then
      echo "terminal_test: plain lines: the screen lacks the line \"$line\""
      ok=1
    fi
  done
  return $ok
}

# Standard output into a file while the keys come from the terminal: no
# editor, so the file must hold exactly what the same lines give from a pipe.
redirected_output() {
  local lines=("1+2" "  x = 2 * (3+4)" "y+1" "showvars")
  start redirected "$program >$work/redirected.out" || return 1
  local line
  for line in "${lines[@]}"; do
    tmux_ send-keys -t redirected -l "$line" && tmux_ send-keys -t redirected Enter
  done
  tmux_ send-keys -t redirected C-d
  wait_for redirected ended || return 1
  printf '%s\n' "${lines[@]}" | "$program" >"$work/redirected.expected" 2>/dev/null
  if ! cmp -s "$work/redirected.expected" "$work/redirected.out"; then
    echo "terminal_test: output into a file: it differs from the output for a pipe:"
    diff "$work/redirected.expected" "$work/redirected.out"
    return 1
  fi
}

# has NAME LINE...: the screen of NAME holds each LINE as a whole line.
has() {
  local name=$1 line ok=0
  shift
  for line in "$@"; do
    if ! grep -qxF -- "$line" "$work/$name.screen"; then
      echo "terminal_test: $name: the screen lacks the line \"$line\":"
      sed 's/^/  | /' "$work/$name.screen"
      ok=1
    fi
  done
  return $ok
}

# Ctrl-C gives up the line being typed and the session goes on, with the
# editor and without it. The keys typed must be shown before Ctrl-C, which
# drops whatever the terminal holds unread.
ctrl_c() {
  local steps=("type:x=41" "keys:7 +" "show:> 7+" "now:C-c" "type:x+1" "type:exit")
  dialogue interrupted "$program" yes "${steps[@]}" &&
    has interrupted "> 7+" "> x+1" "= 42" "[ended with status 0]" || return 1
  dialogue interrupted_plain "$no_libedit $program" no "${steps[@]}" &&
    has interrupted_plain "> 7+^C" "> x+1" "= 42" "[ended with status 0]"
}

# Lines typed in one session come back with the up arrow in the next, from
# a file only the user can read.
lasting_history() {
  dialogue first "$program" yes "type:6*7" "type:exit" || return 1
  dialogue second "$program" yes "keys:Up Up Enter" "type:exit" &&
    has second "> 6*7" "= 42" || return 1
  local file=$XDG_STATE_HOME/zorvex/history
  if [ "$(stat -c %a "$file")" != 600 ] || [ "$(stat -c %a "${file%/*}")" != 700 ]; then
    echo "terminal_test: history: modes $(stat -c %a "$file" "${file%/*}" | tr '\n' ' ')"
    return 1
  fi
}

# Tab completes a function name with its bracket.
tab_completion() {
  dialogue completed "$program" yes "keys:s q Tab 9 ) Enter" "type:exit" &&
    has completed "> sqrt(9)" "= 3"
}

# Ctrl-Z where the shell has no job control cannot stop the program; it
# must not end the session either.
ctrl_z() {
  dialogue stopped "sh -c '$program'" yes "type:x=41" "keys:C-z" "type:x+1" "type:exit" &&
    has stopped "= 42" "[ended with status 0]"
}

# A carriage return at the end of a line is no part of it. The editor's
# terminal mode turns a typed one into a line feed, so it comes from the
# history: a file written with CR LF line ends, its "exit" recalled as it
# was typed.
trailing_cr() {
  printf '1+2\r\nexit\r\n' >"$work/crlf_history"
  dialogue carriage_return "ZORVEX_HISTORY=$work/crlf_history $program" yes "keys:Up Enter" &&
    has carriage_return "> exit" "[ended with status 0]"
}

# Without libedit a terminal session says so once, on standard error.
notice() {
  dialogue noticed "$no_libedit $program 2>$work/notice.err" no "type:exit" || return 1
  if [ "$(grep -c . "$work/notice.err")" != 1 ] ||
    ! grep -q '^zorvex: line editing unavailable: .*libedit\.so\.2: ' "$work/notice.err"; then
    echo "terminal_test: no libedit: standard error was:"
    cat "$work/notice.err"
    return 1
  fi
}

# A signal that ends the program while it reads a line leaves the terminal
# as it found it; SIGINT only gives up the line, and the session it lets
# go on leaves the terminal as it found it too. The program runs under a
# shell with job control, as from a user's shell, so that the signal
# reaches only its own process group.
settings_restored() {
  local signal name
  for signal in INT TERM HUP; do
    name=signalled_$signal
    start "$name" "bash -c 'set -m; before=\$(stty -g); $program; status=\$?;
      [ \"\$(stty -g)\" = \"\$before\" ] && echo settings kept; exit \$status'" || return 1
    prompts=1
    wait_for "$name" prompt_waiting && editing "$name" || return 1
    local shell_pid
    shell_pid=$(tmux_ display-message -p -t "$name" '#{pane_pid}')
    # The pane's shell runs bash, which runs the program.
    kill -s "$signal" "$(pgrep -P "$(pgrep -P "$shell_pid")")" || return 1
    if [ "$signal" = INT ]; then
      prompts=2
      wait_for "$name" prompt_waiting && editing "$name" || return 1
      tmux_ send-keys -t "$name" -l exit && tmux_ send-keys -t "$name" Enter
    fi
    wait_for "$name" ended && screen "$name" >"$work/$name.screen" || return 1
    has "$name" "settings kept" || return 1
  done
}

# ---- Signals, resizes, read failures and keys of the editing terminal ----

# pane_program NAME: the pid of the program two shells below the pane's own
# (the pane's shell runs a shell that runs the program).
pane_program() {
  pgrep -P "$(pgrep -P "$(tmux_ display-message -p -t "$1" '#{pane_pid}')")"
}

# A signal that ends the program ends it alone: the shell that ran it goes
# on and sees the status 128+n. SIGINT reaches the program alone too, and
# the session goes on.
parent_survives() {
  local signal status name
  for signal in TERM:143 HUP:129 INT:0; do
    status=${signal#*:} signal=${signal%:*} name=parent_$signal
    start "$name" "sh -c '$program; echo inner rc=\$?'" || return 1
    prompts=1
    wait_for "$name" prompt_waiting && editing "$name" || return 1
    kill -s "$signal" "$(pane_program "$name")" || return 1
    if [ "$signal" = INT ]; then
      prompts=2
      wait_for "$name" prompt_waiting && editing "$name" || return 1
      tmux_ send-keys -t "$name" -l exit && tmux_ send-keys -t "$name" Enter
    fi
    wait_for "$name" ended && screen "$name" >"$work/$name.screen" || return 1
    has "$name" "inner rc=$status" "[ended with status 0]" || return 1
  done
}

# Twenty resizes while a line of 200 characters (80 tokens) is typed: the session goes
# on, evaluates the whole line, and memcheck finds nothing.
resized_long_line() {
  # A build with AddressSanitizer checks itself, and cannot run under memcheck.
  local checked="valgrind -q --error-exitcode=99 --log-file=$work/resized.valgrind $program"
  if ldd "$program" 2>/dev/null | grep -q libasan; then
    checked=$program
  elif ! command -v valgrind >/dev/null 2>&1; then
    echo "terminal_test: valgrind is not installed; the resizes are run without it"
    checked=$program
  fi
  touch "$work/resized.valgrind"
  start resized "$checked" || return 1
  prompts=1
  wait_for resized prompt_waiting && editing resized || return 1
  local round width
  for round in $(seq 20); do
    tmux_ send-keys -t resized -l "1111+1111+" || return 1
    width=$((round % 2 == 1 ? 40 : 80))
    sleep 0.2
    tmux_ resize-window -t resized -x "$width" || return 1
    sleep 0.2
  done
  tmux_ send-keys -t resized -l "0" && tmux_ send-keys -t resized Enter || return 1
  prompts=2
  wait_for resized prompt_waiting && editing resized || return 1
  tmux_ send-keys -t resized -l "exit" && tmux_ send-keys -t resized Enter || return 1
  wait_for resized ended && screen resized >"$work/resized.screen" || return 1
  if ! has resized "= 44440" "[ended with status 0]"; then
    cat "$work/resized.valgrind"
    return 1
  fi
}

# A resize at the prompt leaves the next key to the user: Ctrl-D still ends.
resize_then_ctrl_d() {
  start resize_eof "$program" || return 1
  prompts=1
  wait_for resize_eof prompt_waiting && editing resize_eof || return 1
  tmux_ resize-window -t resize_eof -x 60 && sleep 0.3 && tmux_ send-keys -t resize_eof C-d ||
    return 1
  wait_for resize_eof ended && screen resize_eof >"$work/resize_eof.screen" &&
    has resize_eof "[ended with status 0]"
}

# ZORVEX_LIBEDIT set but empty loads the system's libedit, without a word.
empty_libedit_name() {
  dialogue empty_libedit "ZORVEX_LIBEDIT= $program 2>$work/empty_libedit.err" yes "type:6*7" \
    "keys:Up Enter" "type:exit" && has empty_libedit "= 42" || return 1
  if [ "$(grep -c '^= 42$' "$work/empty_libedit.screen")" != 2 ] || [ -s "$work/empty_libedit.err" ]; then
    echo "terminal_test: ZORVEX_LIBEDIT empty: no recall, or standard error was:"
    cat "$work/empty_libedit.err"
    return 1
  fi
}

# A terminal that cannot be read (a background job that may not read it)
# is reported as at a plain terminal: one line and status 1.
read_failure() {
  start unreadable "bash -c 'set -m; trap \"\" TTIN TTOU; $program 2>$work/unreadable.err &
    wait \$!; echo background rc=\$?'" || return 1
  wait_for unreadable ended && screen unreadable >"$work/unreadable.screen" || return 1
  has unreadable "background rc=1" || return 1
  if [ "$(cat "$work/unreadable.err")" != "zorvex: read error: Input/output error" ]; then
    echo "terminal_test: unreadable terminal: standard error was:"
    cat "$work/unreadable.err"
    return 1
  fi
}

# Home and End, and moving by words with Ctrl and Alt, under the common
# terminal types; each line is typed and then edited in the middle.
keys_by_terminal() {
  local term
  for term in xterm xterm-256color screen tmux-256color linux; do
    dialogue "keys_$term" "TERM=$term $program" yes "keys:2 3 Home 1 End 4 Enter" \
      "keys:1 1 + 2 2 C-Left 3 Enter" "keys:1 1 + 2 2 Home C-Right 0 Enter" \
      "keys:1 1 + 2 2 M-b 3 Enter" "keys:1 1 + 2 2 Home M-f 0 Enter" "type:exit" &&
      has "keys_$term" "> 1234" "= 1234" "> 11+322" "= 333" "> 110+22" "= 132" || return 1
  done
}

# Ctrl-U cuts to the start of the line, Ctrl-W the word before the cursor;
# an arrow key ends a reverse search and then moves; ~/.editrc is read.
line_keys() {
  mkdir -p "$work/home" && printf 'bind -s ^T 6*7\n' >"$work/home/.editrc" || return 1
  dialogue line_keys "env -u EDITRC HOME=$work/home $program" yes \
    "keys:1 2 + 3 4 Left Left C-u 5 Enter" "keys:1 2 + 3 4 C-w 5 Enter" "type:7*6" \
    "keys:C-r 7 * Left Enter" "keys:C-r 7 * Right Enter" "keys:C-t Enter" "type:exit" &&
    has line_keys "> 534" "= 534" "> 12+5" "= 17" "> 6*7" "= 42" || return 1
  if [ "$(grep -c '^= 42$' "$work/line_keys.screen")" != 4 ] ||
    grep -q '\[[CD]' "$work/line_keys.screen"; then
    echo "terminal_test: line_keys: a search or the rebound key went wrong:"
    sed 's/^/  | /' "$work/line_keys.screen"
    return 1
  fi
}

# The rows a line of the editor takes in the pane, the prompt included.
rows_of() { printf '> %s\n' "$1" | fold -w 80; }
# long_line_shown: the last row of $long is the last line of the screen.
long_line_shown() { [ "$(tail -n 1)" = "$(rows_of "$long" | tail -n 1)" ]; }
# Its keys, for tmux: one key name per character.
keys_of() { printf '%s' "$1" | sed 's/./& /g'; }

# After Ctrl-C and after a listing of matches, with the cursor on the first
# row of a line that wraps, every row of the line stays on the screen and
# the listing and the fresh prompt come below it.
below_wrapped_line() {
  long=$(printf '1+%.0s' $(seq 50))
  dialogue wrapped_interrupt "$program" yes "keys:$(keys_of "$long") Home" "until:long_line_shown" \
    "now:C-c" "type:exit" || return 1
  local expected
  expected=$({ rows_of "$long"; echo "> exit"; } | tr '\n' '|')
  if ! tr '\n' '|' <"$work/wrapped_interrupt.screen" | grep -qF -- "$expected"; then
    echo "terminal_test: Ctrl-C on a wrapped line: the screen is:"
    sed 's/^/  | /' "$work/wrapped_interrupt.screen"
    return 1
  fi
  long="s$(printf '+1%.0s' $(seq 50))"
  dialogue wrapped_listing "$program" yes "keys:$(keys_of "$long") Home Right" \
    "until:long_line_shown" "now:Tab" "until:listed" "now:C-c" "type:exit" || return 1
  expected=$({ rows_of "$long"; } | tr '\n' '|')
  if ! tr '\n' '|' <"$work/wrapped_listing.screen" | grep -qF -- "${expected}showfuncs "; then
    echo "terminal_test: a listing on a wrapped line: the screen is:"
    sed 's/^/  | /' "$work/wrapped_listing.screen"
    return 1
  fi
}
listed() { grep -q '^showfuncs .* sin('; }

# Tab lists more than 100 matches only when asked to; a single match that
# is whole already is not listed at all.
many_matches() {
  start many "$program" || return 1
  prompts=1
  wait_for many prompt_waiting && editing many || return 1
  # 101 names: vaa, vab, ... vdw.
  local names
  names=$(printf 'v%s=1\r' $(printf '%s\n' {a..d}{a..z} | head -n 101))
  tmux_ send-keys -t many -l "${names}pi" && tmux_ send-keys -t many Tab Enter || return 1
  prompts=103
  wait_for many prompt_waiting || return 1
  tmux_ send-keys -t many v Tab || return 1
  wait_for many asked || return 1
  tmux_ send-keys -t many n C-u e x i t Enter || return 1
  wait_for many ended && screen many >"$work/many.screen" || return 1
  has many "= 3.14159" "[ended with status 0]" || return 1
  if grep -qx 'pi' "$work/many.screen" || grep -q '^vaa ' "$work/many.screen"; then
    echo "terminal_test: matches were listed unasked:"
    sed 's/^/  | /' "$work/many.screen" | tail -n 20
    return 1
  fi
}
asked() { tail -n 1 | grep -q '^Show all 101 matches? (y or n)'; }

# Ctrl-C leaves no trace in the next lines: after it, a stop where there is
# no job control (the pane's shell has none) keeps the line typed, and the
# line goes on from there.
interrupt_then_stop() {
  dialogue interrupt_stop "$program" yes "type:x=41" "keys:C-c" "keys:x" "show:> x" \
    "now:C-z" "until:x_redrawn" "now:+ 1 Enter" "type:exit" &&
    has interrupt_stop "> x+1" "= 42" "[ended with status 0]"
}
x_redrawn() { [ "$(grep -c '^> x$')" -ge 2 ]; }

# --- The history file ---

# A user other than the one running the tests, for what takes two users:
# only root can act as another, so elsewhere it stays empty.
other_user=
if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null 2>&1; then
  other_user=nobody
  if ! id -u "$other_user" >/dev/null 2>&1; then
    other_user=zorvex-scratch
    id -u "$other_user" >/dev/null 2>&1 ||
      useradd --system --no-create-home --shell /usr/sbin/nologin "$other_user" || other_user=
  fi
fi
# The command prefix that runs a program as $other_user.
as_other() {
  printf 'setpriv --reuid=%s --regid=%s --clear-groups' "$other_user" "$(id -g "$other_user")"
}

# one_warning FILE LINE: FILE (standard error of a session) is LINE alone.
one_warning() {
  if [ "$(cat "$1")" != "$2" ]; then
    echo "terminal_test: standard error was not the one line \"$2\" but:"
    sed 's/^/  | /' "$1"
    return 1
  fi
}

# A FIFO named as the history file is never opened, so lines that would
# fill its buffer (80 KB here) cannot stop the session.
fifo_history() {
  mkfifo "$work/fifo" || return 1
  local long steps=() i
  long=$(printf '%02000d' 1)
  steps+=("type:$long")
  for ((i = 0; i < 40; i++)); do
    steps+=("keys:Up Enter")
  done
  steps+=("type:exit")
  dialogue fifo "ZORVEX_HISTORY=$work/fifo $program 2>$work/fifo.err" yes "${steps[@]}" &&
    has fifo "[ended with status 0]" &&
    one_warning "$work/fifo.err" "zorvex: history: $work/fifo: not a regular file"
}

# Session A is open while B starts and cuts the file back to 1,000 lines:
# the lines A enters after that are kept all the same.
trim_between_sessions() {
  local file=$work/shared_history
  seq 0 1999 >"$file"
  start older "ZORVEX_HISTORY=$file $program" || return 1
  prompts=1
  wait_for older prompt_waiting && editing older || return 1
  tmux_ send-keys -t older -l "1+1" && tmux_ send-keys -t older Enter
  prompts=2
  wait_for older prompt_waiting || return 1
  dialogue newer "ZORVEX_HISTORY=$file $program" yes "type:2+2" "type:exit" || return 1
  tmux_ send-keys -t older -l "3+3" && tmux_ send-keys -t older Enter
  prompts=3
  wait_for older prompt_waiting || return 1
  tmux_ send-keys -t older -l "exit" && tmux_ send-keys -t older Enter
  wait_for older ended || return 1
  local last
  last=$(tail -n 4 "$file" | tr '\n' ' ')
  if [ "$last" != "2+2 exit 3+3 exit " ] || [ "$(wc -l <"$file")" != 1004 ]; then
    echo "terminal_test: trim between sessions: $(wc -l <"$file") lines, the last: $last"
    return 1
  fi
}

# A history file that is a link stays a link; the file it names is cut.
linked_history() {
  mkdir -m 700 "$work/real" && seq 0 2000 >"$work/real/history" || return 1
  ln -s "$work/real/history" "$work/linked_history"
  dialogue linked "ZORVEX_HISTORY=$work/linked_history $program" yes "type:5+5" "type:exit" ||
    return 1
  if [ ! -L "$work/linked_history" ] || [ "$(wc -l <"$work/real/history")" != 1002 ] ||
    [ "$(tail -n 2 "$work/real/history" | tr '\n' ' ')" != "5+5 exit " ]; then
    echo "terminal_test: linked history: $(ls -l "$work/linked_history"), the file it names:"
    tail -n 3 "$work/real/history"
    return 1
  fi
}

# A history file the user may read but not write is recalled, and one line
# says that new lines will not be kept. Root may write any file, so as root
# the session is another user's.
read_only_history() {
  local dir=$work/read_only run=
  mkdir -m 700 "$dir" && printf '6*7\n' >"$dir/history" && chmod 400 "$dir/history" || return 1
  if [ -n "$other_user" ]; then
    chmod 711 "$work"
    chown -R "$other_user:$(id -g "$other_user")" "$dir"
    run=$(as_other)
  fi
  dialogue read_only "ZORVEX_HISTORY=$dir/history $run $program 2>$work/read_only.err" yes \
    "keys:Up Enter" "type:1+1" "type:exit" &&
    has read_only "> 6*7" "= 42" "[ended with status 0]" || return 1
  one_warning "$work/read_only.err" \
    "zorvex: history: $dir/history: Permission denied; new lines will not be kept" || return 1
  if [ "$(cat "$dir/history")" != "6*7" ]; then
    echo "terminal_test: read-only history: it was written to"
    return 1
  fi
}

# A last line without its line end (a full disk, a session that died while
# writing) is neither recalled nor continued by the next line entered.
torn_history() {
  printf '1+2\n4*5' >"$work/torn_history"
  dialogue torn "ZORVEX_HISTORY=$work/torn_history $program" yes "keys:Up Enter" "type:7*6" \
    "type:exit" && has torn "> 1+2" "= 3" "= 42" || return 1
  if [ "$(cat "$work/torn_history")" != $'1+2\n1+2\n7*6\nexit' ]; then
    echo "terminal_test: torn history line: the file holds:"
    sed 's/^/  | /' "$work/torn_history"
    return 1
  fi
}

# Another user who may write the directory of the history file plants a
# link where the trim wrote its new copy, pointing at a file of the user's:
# the session must neither empty nor fill that file. It refuses the
# directory, with one line saying why.
planted_link() {
  if [ -z "$other_user" ]; then
    echo "terminal_test: planted link: needs root to act as a second user; skipped"
    return 0
  fi
  local shared=$work/shared
  mkdir -m 777 "$shared" && chmod 777 "$shared" && chmod 711 "$work" || return 1
  seq 0 2000 >"$shared/history" && chmod 600 "$shared/history"
  printf 'precious\n' >"$work/precious"
  $(as_other) ln -s "$work/precious" "$shared/history.new" || return 1
  dialogue planted "ZORVEX_HISTORY=$shared/history $program 2>$work/planted.err" yes \
    "type:8*8" "type:exit" && has planted "= 64" "[ended with status 0]" || return 1
  if [ "$(cat "$work/precious")" != precious ]; then
    echo "terminal_test: planted link: the file it names now holds $(wc -l <"$work/precious") lines"
    return 1
  fi
  one_warning "$work/planted.err" "zorvex: history: $shared: writable by other users"
}

if [ -n "$plain" ]; then
  check plain_lines
  echo "$passes passed, $failures failed"
  [ "$failures" -eq 0 ]
  exit
fi

check recall
check plain_lines
check redirected_output
check ctrl_c
check lasting_history
check tab_completion
check ctrl_z
check trailing_cr
check notice
check settings_restored
check parent_survives
check resized_long_line
check resize_then_ctrl_d
check read_failure
check empty_libedit_name
check keys_by_terminal
check line_keys
check below_wrapped_line
check many_matches
check interrupt_then_stop
check fifo_history
check trim_between_sessions
check linked_history
check read_only_history
check torn_history
check planted_link
echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
