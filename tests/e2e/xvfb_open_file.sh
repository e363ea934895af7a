#!/usr/bin/env bash
# The real program started with a file argument on a virtual X display, as a file manager starts
# it: the start-up message, then the window with the file open, or File > Open's refusal of a name
# that is not a loan file. Runs at twice the pixel density, where the pictures must stay sharp.
# Usage: xvfb_open_file.sh PROGRAM PROBE
program=${1:?program}
probe=${2:?probe}
source "$(dirname "$0")/xvfb_session.sh"
export QT_SCALE_FACTOR=2
passed=0

# Two loans and the blank last row, as the program saves them.
record() { printf '%-15s%-11s%-3s%-6s%-6s%-11s%-6s%-6s%-11s%-11s%-12s%-12s%-3s\r' "$@"; }
file=$work/Loans\ 2028.LOA
{
    record HOME 300000 25 60 6.5 180000 40 5.99 120000 Monthly '$1,987.80' '$23,853.61' Yes
    record CAR 25000 5 100 8.2 25000 0 0 0 Weekly '$117.44' '$6,106.88' No
    printf '%-113s\r' ''
} >"$file"
cp "$file" "$work/before.bytes"

start "$file"
window "^Dravenholt Information Technology Loan$"      # the start-up message comes first
keys Return
window "^Dravenholt Information Technology Loan - $work/Loans 2028.LOA$"
passed=$((passed + 1))
# The window shows at twice the density: its size in screen pixels is twice its design size.
width=$(xdotool getwindowgeometry "$id" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
[ "${width:-0}" -ge 1200 ] || fail "the window is $width pixels wide at scale 2"
passed=$((passed + 1))
quit
cmp -s "$file" "$work/before.bytes" || fail "opening the file changed it"

# A name that is not a loan file: the same question as File > Open, then the empty table.
start "$work/missing.loa"
window "^Dravenholt Information Technology Loan$"
keys Return
window "^Loan File Only$"
keys Return
window "^Dravenholt Information Technology Loan - Untitled$"
passed=$((passed + 1))
quit

echo "$passed passed, 0 failed"
