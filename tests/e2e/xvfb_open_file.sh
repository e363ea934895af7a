#!/usr/bin/env bash
# The real program started with a file argument on a virtual X display, as a file manager starts
# it, at twice the pixel density: the start-up message, then the window with the file open, or
# File > Open's refusal of a missing file. Usage: xvfb_open_file.sh PROGRAM PROBE
set -Eeuo pipefail
program=${1:?program}
probe=${2:?probe}
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool missing"; exit 77; }
done
work=$(mktemp -d)
app="" xvfb=""
trap 'kill $app $xvfb 2>/dev/null; wait; rm -rf "$work"' EXIT
source "$(dirname "$0")/e2e_common.sh"
trap 'fail "line $LINENO: $BASH_COMMAND"' ERR

start_display "$probe"
export HOME=$work QT_SCALE_FACTOR=2

run() { # starts the program with $1, answers the start-up message, waits for the window $2
    "$program" "$1" >"$work/app.log" 2>&1 &
    app=$!
    window "^Dravenholt Information Technology Loan$"
    xdotool key Return
    [ -z "${3:-}" ] || { window "$3"; xdotool key Return; }
    window "^Dravenholt Information Technology Loan - $2$"
    xdotool key --delay 60 alt+f x
    for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
    ! kill -0 "$app" 2>/dev/null || fail "the program did not exit"
    app=""
}

file="$work/Loans 2028.LOA"
printf '%-110sYes\r%-113s\r' HOME '' >"$file"
cp "$file" "$work/before"
run "$file" "$file"
cmp -s "$file" "$work/before" || fail "opening the file changed it"
# A name that is not a loan file: File > Open's question, then the empty table.
run "$work/missing.loa" Untitled "^Loan File Only$"
echo "2 passed, 0 failed"
