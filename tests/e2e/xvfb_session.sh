# Sourced by the end-to-end scripts: a virtual X display of its own, the program's helpers and
# cleanup. Needs $program and $probe set; exits 77 (skipped) where no Qt window can be shown.
set -Eeuo pipefail
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
show_logs() {
    local log
    for log in "$work"/*.log; do
        [ -s "$log" ] && { echo "--- $(basename "$log")"; tail -n 40 "$log"; }
    done
    return 0
}
fail() { echo "FAIL: $*"; show_logs; exit 1; }
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND"; show_logs' ERR

# Xvfb picks a free display and writes its number to the pipe once it accepts clients; -noreset
# keeps it from refusing the program while it resets after the probe leaves.
exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -noreset -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
number=""
for _ in $(seq 200); do
    read -r -t 0.1 -u "$displayfd" number && break
    kill -0 "$xvfb" 2>/dev/null || break
done
exec {displayfd}>&-
if [ -z "$number" ]; then echo "SKIP: Xvfb did not start"; show_logs; exit 77; fi
export DISPLAY=:$number QT_QPA_PLATFORM=xcb

if ! "$probe" >"$work/probe.log" 2>&1; then
    echo "SKIP: this display cannot host a Qt window"; show_logs; exit 77
fi

# A home of its own, so nothing of the user's is read or left behind.
export HOME=$work/home
unset XDG_CONFIG_HOME
mkdir -p "$HOME"

# Starts the program with these arguments in the background.
start() {
    "$program" "$@" >"$work/app.log" 2>&1 &
    app=$!
}
# Waits until a window whose title matches $1 is visible, focuses it, and leaves its id in $id.
id=""
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
keys() { xdotool key --delay 60 "$@"; }
# Ends the program with File > Exit and waits for it to go.
quit() {
    keys alt+f x
    for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$app" 2>/dev/null; then fail "the program did not exit"; fi
    app=""
}
