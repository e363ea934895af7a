# Sourced by the end-to-end tests, which set $work (a scratch folder for logs) and $app (the
# program's pid, once started) and call start_display first.

# The program's recovery copies of unsaved loans stay in the test's own folder, whatever the
# environment names: a run a test kills must not leave loans to be offered to the user.
export XDG_STATE_HOME=$work/state

show_logs() {
    local log
    for log in "$work"/*.log; do
        [ -s "$log" ] && { echo "--- $(basename "$log")"; tail -n 40 "$log"; }
    done
    return 0
}
fail() { echo "FAIL: $*"; show_logs; exit 1; }

# Starts Xvfb on a display it picks itself, sets $xvfb and DISPLAY, and checks with PROBE that
# the display can host a Qt window; exits 77 (skipped) where it cannot. Xvfb writes the display
# number once it accepts clients. -noreset: by default the server resets when its last client
# leaves, and a client connecting during that reset (the program, right after the probe) is
# refused. Two servers starting at once may pick the same display and one of them gives up: it
# is started again.
start_display() {
    local probe=$1 attempt displayfd number=""
    for attempt in 1 2 3; do
        exec {displayfd}<> <(:)
        Xvfb -displayfd "$displayfd" -noreset -screen 0 1280x1024x24 -nolisten tcp \
            >>"$work/xvfb.log" 2>&1 &
        xvfb=$!
        for _ in $(seq 200); do
            read -r -t 0.1 -u "$displayfd" number && break
            kill -0 "$xvfb" 2>/dev/null || break
        done
        exec {displayfd}>&-
        [ -n "$number" ] && break
        echo "Xvfb attempt $attempt did not start" >>"$work/xvfb.log"
        kill "$xvfb" 2>/dev/null || true
        sleep 0.5
    done
    [ -n "$number" ] || { echo "SKIP: Xvfb did not start"; show_logs; exit 77; }
    export DISPLAY=:$number QT_QPA_PLATFORM=xcb
    if ! "$probe" >"$work/probe.log" 2>&1; then
        echo "SKIP: this display cannot host a Qt window"; show_logs; exit 77
    fi
}

# Waits until a window whose title matches $1 is visible, focuses it and sets $id.
window() {
    id=""
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -n 1) && [ -n "$id" ] && break
        kill -0 "$app" 2>/dev/null || fail "the program ended while waiting for \"$1\""
        sleep 0.1
    done
    [ -n "$id" ] || fail "no window \"$1\""
    xdotool windowactivate --sync "$id" 2>/dev/null || xdotool windowfocus --sync "$id"
    sleep 0.3
}
