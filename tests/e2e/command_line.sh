#!/usr/bin/env bash
# The options that only print work where there is no display at all: the real program with no
# DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM. Usage: command_line.sh PROGRAM
set -uo pipefail
program=${1:?program}
passed=0 failed=0
check() { # description, expected status, arguments, then a pattern its output must match
    local out status
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "${@:3:$#-3}" 2>&1)
    status=$?
    if [ "$status" -eq "$2" ] && grep -Eq -- "${*: -1}" <<<"$out"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAIL: $1: status $status, output: $out"
    fi
}
check "help names the program" 0 --help "^Usage: dravenholt-loan \[options\] \[FILE\]$"
check "help explains FILE" 0 -h "^  FILE +A loan file"
check "help shows the export" 0 --help "^       dravenholt-loan --schedule FILE.loa CODE"
check "help-all prints too" 0 --help-all "^Usage: dravenholt-loan"
check "version" 0 --version "^Dravenholt Loan [0-9]+\.[0-9]+\.[0-9]+$"
check "unknown option" 2 --no-such-option "no-such-option"
check "two files" 2 a.loa b.loa "Only one loan file"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
