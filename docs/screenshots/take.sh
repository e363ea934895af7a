#!/usr/bin/env bash
# Remakes the README's screenshots: the real program on a virtual X display, driven by xdotool.
# Usage: docs/screenshots/take.sh PROGRAM [SCALE]   (needs xvfb, xdotool, imagemagick)
set -euo pipefail
program=${1:?program}
scale=${2:-1}
out=$(cd "$(dirname "$0")" && pwd)
suffix=""
[ "$scale" != 1 ] && suffix="-x$scale"

display=:$((200 + RANDOM % 300))
# -noreset: a client connecting while the server resets after its last client left is refused.
# The screen grows with the scale, so that the schedule window fits at 2x as at 1x.
Xvfb "$display" -noreset -screen 0 $((1600 * scale))x$((1200 * scale))x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
app=""
trap '[ -n "$app" ] && kill $app 2>/dev/null; kill $xvfb 2>/dev/null; wait 2>/dev/null; rm -rf "${state:-}"' EXIT
export DISPLAY=$display QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale
# A state folder of its own: the loans typed here are never saved, and the copy the program keeps
# of them must not be offered to the next run, nor to the user's own program.
state=$(mktemp -d)
export XDG_STATE_HOME=$state
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

id=""
window() {
    id=""
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -n 1) && [ -n "$id" ] && break
        sleep 0.1
    done
    [ -n "$id" ] || { echo "no window \"$1\"" >&2; exit 1; }
    xdotool windowactivate --sync "$id" 2>/dev/null || xdotool windowfocus --sync "$id"
    sleep 0.4
}
shot() { import -window "$id" "$out/$1$suffix.png"; echo "saved $out/$1$suffix.png"; }
keys() { xdotool key --delay 60 "$@"; }
type_text() { xdotool type --delay 30 "$1"; }

"$program" >/dev/null 2>&1 &
app=$!
window "^Dravenholt Information Technology Loan$"
keys Return
window "Dravenholt Information Technology Loan - Untitled"

loan() { # code principal term variable% variable-rate fixed-rate
    keys ctrl+n
    window "Loan Details"
    type_text "$1"; keys Tab; type_text "$2"; keys Tab; type_text "$3"; keys Tab
    type_text "$4"; keys Tab Tab; type_text "$5"; keys Tab Tab Tab; type_text "$6"
}
loan "HOME" 300000 25 60 6.5 5.99
shot details
keys alt+o
window "Untitled"
loan "HOLIDAY UNIT" 180000 15 100 7.25 0
keys alt+o
window "Untitled"
loan "OFFICE" 450000 30 40 6.9 6.1
keys alt+o
window "Untitled"
xdotool mousemove --window "$id" $((250 * scale)) $((135 * scale)) click 1
keys Home
sleep 0.3
shot main
if [ "$scale" = 1 ]; then
    # Wide enough for every column of the three loans.
    eval "$(xdotool getwindowgeometry --shell "$id")"
    xdotool windowsize --sync "$id" 1400 "$HEIGHT"
    sleep 0.5
    import -window "$id" "$out/main-1400.png"
    echo "saved $out/main-1400.png"
    xdotool windowsize --sync "$id" "$WIDTH" "$HEIGHT"
    sleep 0.3
fi
keys ctrl+r
window "Repayment Schedule"
keys alt+x
type_text "200"
sleep 0.3
shot schedule
# The plan: a start date, a three-year fixed period reverting to 7.2%, a rate change and a lump
# sum, each by keys; then the period of the rate change, marked, in view.
keys alt+d Tab
type_text "15 Jan 2026"
keys alt+f
type_text "3"
keys alt+v
type_text "7.2"
keys alt+r Insert
window "Rate Change"
type_text "13"
keys alt+r
type_text "6.9"
keys Return
window "Repayment Schedule"
keys alt+l Insert
window "Lump Sum"
type_text "24"
keys alt+a
type_text "10000"
keys Return
window "Repayment Schedule"
keys alt+h ctrl+Home
for _ in $(seq 12); do keys Down; done
sleep 0.3
shot schedule-plan
# The same loan drawn: a row a year, the chart beside the table with the stressed lines and its
# cursor on the rate change's period; then the compare table in the chart's place.
eval "$(xdotool getwindowgeometry --shell "$id")"
xdotool windowsize --sync "$id" $((1500 * scale)) "$HEIGHT"
keys alt+w alt+b alt+s
sleep 0.5
shot schedule-chart
keys alt+b alt+m
xdotool windowsize --sync "$id" $((1500 * scale)) $((640 * scale))
sleep 0.5
shot schedule-compare
keys Escape
window "Untitled"
keys ctrl+p
window "Print"
shot print
keys Escape alt+c
window "Untitled"
keys ctrl+c
window "Search"
type_text "office"
shot search
keys alt+c
window "Untitled"
keys alt+h a
window "About"
shot about
