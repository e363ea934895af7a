#!/usr/bin/env bash
# The program as a screen reader sees it: on a virtual X display with an accessibility bus, a loan
# is entered by keys alone (Quarterly chosen with the arrow keys), and what AT-SPI reports of the
# loan details dialog and of the main window is checked. Usage: atspi_new_loan.sh PROGRAM PROBE
set -Eeuo pipefail
program=${1:?program}
probe=${2:?probe}
here=$(cd "$(dirname "$0")" && pwd)
launcher=/usr/libexec/at-spi-bus-launcher
python=/usr/bin/python3
for tool in Xvfb xdotool dbus-run-session "$launcher" "$python"; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool missing"; exit 77; }
done
"$python" -c 'import pyatspi' 2>/dev/null || { echo "SKIP: python3-pyatspi missing"; exit 77; }

# Everything runs on a session bus of its own, which ends with the test.
if [ -z "${ATSPI_TEST_SESSION:-}" ]; then
    ATSPI_TEST_SESSION=1 exec dbus-run-session -- "$0" "$@"
fi

work=$(mktemp -d)
app=""
xvfb=""
bus=""
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null || true
    [ -n "$bus" ] && kill "$bus" 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
source "$here/e2e_common.sh"
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND"; show_logs' ERR

start_display "$probe"

"$launcher" --launch-immediately >"$work/bus.log" 2>&1 &
bus=$!
check() { "$python" "$here/atspi_check.py" "$@" 2>&1 || fail "AT-SPI check \"$1\""; }
check bus

export HOME=$work/home QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
unset XDG_CONFIG_HOME
mkdir -p "$HOME"
"$program" >"$work/app.log" 2>&1 &
app=$!

keys() { xdotool key --delay 60 "$@"; }
type_text() { xdotool type --delay 40 "$1"; }

window "^Dravenholt Information Technology Loan$"      # the start-up message
keys Return
window "Dravenholt Information Technology Loan - Untitled"
keys ctrl+n
window "Dravenholt Information Technology - Loan Details"
type_text "HOME"; keys Tab
type_text "300000"; keys Tab
type_text "25"; keys Tab
type_text "60"; keys Tab Tab
type_text "6.5"; keys Tab Tab Tab
type_text "5.99"; keys Tab          # the last field, then the results table
keys Down                           # Monthly, as a new loan starts, to Quarterly
check details
keys alt+o
window "Dravenholt Information Technology Loan - Untitled"
check main
echo "1 passed, 0 failed"
