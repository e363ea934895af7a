#!/usr/bin/env bash
# The options that only print must work where there is no display at all: run the real program
# with no DISPLAY, no WAYLAND_DISPLAY and no QT_QPA_PLATFORM. Usage: command_line.sh PROGRAM
set -uo pipefail
program=${1:?program}
failures=0
checks=0
run() { # expected-status then arguments; leaves the output in $out and $err
    local expected=$1 status
    shift
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "$@" 2>"$work/err")
    status=$?
    err=$(cat "$work/err")
    checks=$((checks + 1))
    if [ "$status" -ne "$expected" ]; then
        echo "FAIL: $* exited $status, not $expected${err:+: $err}"
        failures=$((failures + 1))
        return 1
    fi
}
expect() { # description, then a test
    local what=$1
    shift
    checks=$((checks + 1))
    "$@" || { echo "FAIL: $what"; failures=$((failures + 1)); }
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

run 0 --help &&
    expect "--help names the program, not its path: $(head -n 1 <<<"$out")" \
        test "$(head -n 1 <<<"$out")" = "Usage: dravenholt-loan [options] [FILE]" &&
    expect "--help lists --version and FILE" grep -q -- "--version" <<<"$out" &&
    expect "--help explains FILE" grep -q "^  FILE " <<<"$out"
run 0 -h && expect "-h prints the help" grep -q "^Usage: dravenholt-loan" <<<"$out"
run 0 --version && expect "--version prints name and version: $out" \
    grep -Eqx "Dravenholt Loan [0-9]+\.[0-9]+\.[0-9]+" <<<"$out"
run 2 --no-such-option && expect "an unknown option is named on standard error" \
    grep -q "no-such-option" <<<"$err"
run 2 a.loa b.loa && expect "two files are refused on standard error" test -n "$err"

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
