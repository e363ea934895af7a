#!/usr/bin/env bash
# Unsaved loans through the end of a run: the real program on a virtual X display opens a file
# named on its command line, a loan is deleted by keys alone, and the program is killed: SIGKILL
# four seconds later, or SIGTERM at once (as the end of a desktop session sends it). Started
# again without a file, it offers the loans, Recover shows them under the file's name while the
# file is still as it was, and File > Save writes them to it. Usage: xvfb_recovery.sh PROGRAM PROBE
set -Eeuo pipefail
program=${1:?program}
probe=${2:?probe}
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool missing"; exit 77; }
done
work=$(mktemp -d)
app="" xvfb=""
cleanup() {
    [ -n "$app" ] && kill -KILL "$app" 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
source "$(dirname "$0")/e2e_common.sh"
trap 'fail "line $LINENO: $BASH_COMMAND"' ERR

start_display "$probe"
export HOME=$work/home
mkdir -p "$HOME"
state=$XDG_STATE_HOME/dravenholt-loan
title="Dravenholt Information Technology Loan"
keys() { xdotool key --delay 80 "$@"; }
copies() { find "$state" -name '*.recovery' 2>/dev/null | wc -l; }

file="$work/Loans 2028.loa"
printf '%-110sYes\r%-110sYes\r%-110sYes\r%-113s\r' HOME CAR BOAT '' >"$work/before"
printf '%-110sYes\r%-110sYes\r%-113s\r' HOME BOAT '' >"$work/after"

# Waits until the window $id, named $1, is no longer shown.
gone() {
    for _ in $(seq 50); do
        xdotool search --onlyvisible --name "$1" 2>/dev/null | grep -qx "$id" || return 0
        sleep 0.1
    done
    fail "window \"$1\" is still shown"
}

trial() { # signal, seconds between the change and the signal
    local signal=$1 wait=$2 status=0
    cp "$work/before" "$file"
    "$program" "$file" >"$work/app.log" 2>&1 &
    app=$!
    window "^$title\$"                              # the start-up message
    keys Return
    window "^$title - $file\$"
    # Tab from the New picture to the table, Up from its blank last row to CAR.
    keys Tab Tab Tab Tab Up Up ctrl+d
    window "^Delete\$"
    keys Return
    # Gone once answered: the loan is deleted before the program reads anything else.
    gone "^Delete\$"
    sleep "$wait"
    kill -"$signal" "$app"
    wait "$app" || status=$?
    app=""
    if [ "$signal" = TERM ]; then
        [ "$status" -eq 0 ] || fail "SIGTERM: the program ended with $status"
    fi
    [ "$(copies)" -eq 1 ] || fail "SIG$signal: $(copies) recovery copies, not 1"
    cmp -s "$file" "$work/before" || fail "SIG$signal: the file changed before any save"

    "$program" >"$work/app2.log" 2>&1 &
    app=$!
    window "^$title\$"                              # the start-up message
    keys Return
    gone "^$title\$"
    # The offer: Escape does not answer it (only a press of Discard discards); Recover is its
    # default button.
    window "^$title\$"
    keys Escape Return
    # Started without a file, the caption names it: the recovered loans are the file's.
    window "^$title - $file\$"
    cmp -s "$file" "$work/before" || fail "SIG$signal: recovering wrote the file"
    keys ctrl+s
    for _ in $(seq 50); do cmp -s "$file" "$work/after" && break; sleep 0.1; done
    cmp -s "$file" "$work/after" || fail "SIG$signal: Save did not write the recovered loans"
    keys alt+f x
    for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
    ! kill -0 "$app" 2>/dev/null || fail "SIG$signal: the program asked before ending"
    app=""
    [ "$(copies)" -eq 0 ] || fail "SIG$signal: a copy stayed after the loans were saved"
}

trial KILL 4
trial TERM 0
echo "2 passed, 0 failed"
