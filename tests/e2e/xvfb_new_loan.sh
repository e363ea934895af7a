#!/usr/bin/env bash
# Starts the real program on a virtual X display, enters one loan with real keystrokes, saves it
# through the file dialog and checks the record written. Usage: xvfb_new_loan.sh PROGRAM PROBE
set -Eeuo pipefail
program=${1:?program}
probe=${2:?probe}
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool missing"; exit 77; }
done

work=$(mktemp -d)
app=""
xvfb=""
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
source "$(dirname "$0")/e2e_common.sh"
# Any other failing step (an xdotool command, say) says where it stopped.
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND"; show_logs' ERR
start_display "$probe"

keys() { xdotool key --delay 60 "$@"; }
type_text() { xdotool type --delay 40 "$1"; }

# A home of its own, to see that the program leaves no settings behind.
export HOME=$work/home
unset XDG_CONFIG_HOME
mkdir -p "$HOME"

"$program" >"$work/app.log" 2>&1 &
app=$!

window "^Dravenholt Information Technology Loan$"      # the start-up message
keys Return
window "Dravenholt Information Technology Loan - Untitled"
keys ctrl+n
window "Dravenholt Information Technology - Loan Details"
type_text "HOME"; keys Tab          # Loan Code, then principal
type_text "300000"; keys Tab        # principal, then term
type_text "25"; keys Tab            # term, then variable percent
type_text "60"; keys Tab Tab        # variable percent; past the variable amount to its rate
type_text "6.5"; keys Tab Tab Tab   # variable rate; past the fixed percent and amount to its rate
type_text "5.99"
keys alt+o
window "Dravenholt Information Technology Loan - Untitled"
keys ctrl+s
window "^Save"
type_text "$work/home.loa"
keys Return
for _ in $(seq 100); do [ -s "$work/home.loa" ] && break; sleep 0.1; done
window "Dravenholt Information Technology Loan - $work/home.loa"
keys alt+f x
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app" 2>/dev/null; then fail "the program did not exit"; fi
app=""

[ -z "$(find "$HOME" -path "$HOME/.cache" -prune -o -type f -print)" ] ||
    fail "the program left settings: $(find "$HOME" -path "$HOME/.cache" -prune -o -type f -print)"

size=$(stat -c %s "$work/home.loa")
[ "$size" -eq 228 ] || fail "file holds $size bytes, not two records"
record=$(head -c 113 "$work/home.loa")
expect_field() { # offset width text
    local got=${record:$1:$2}
    got=${got%"${got##*[! ]}"}
    [ "$got" = "$3" ] || fail "field at $1 is \"$got\", expected \"$3\""
}
expect_field 0 15 "HOME"
expect_field 15 11 "300000"
expect_field 26 3 "25"
expect_field 29 6 "60"
expect_field 35 6 "6.5"
expect_field 41 11 "180000"
expect_field 52 6 "40"
expect_field 58 6 "5.99"
expect_field 64 11 "120000"
expect_field 75 11 "Monthly"
expect_field 110 3 "Yes"
installment=${record:86:12}
[[ $installment == \$* ]] || fail "installment \"$installment\""
[ "$(tail -c 1 "$work/home.loa" | od -An -tx1 | tr -d ' ')" = "0d" ] || fail "no carriage return"
echo "1 passed, 0 failed"
