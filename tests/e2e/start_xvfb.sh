# Sourced by the end-to-end tests: start_xvfb LOGFILE starts Xvfb on a display it picks itself
# and sets $xvfb (its pid) and $number (the display). Xvfb writes the number once it accepts
# clients. -noreset: by default the server resets when its last client leaves, and a client
# connecting during that reset (the program, right after the probe) is refused. Two servers
# starting at once may pick the same display and one of them gives up: it is started again.
start_xvfb() {
    local log=$1 attempt displayfd
    number=""
    for attempt in 1 2 3; do
        exec {displayfd}<> <(:)
        Xvfb -displayfd "$displayfd" -noreset -screen 0 1280x1024x24 -nolisten tcp >>"$log" 2>&1 &
        xvfb=$!
        for _ in $(seq 200); do
            read -r -t 0.1 -u "$displayfd" number && break
            kill -0 "$xvfb" 2>/dev/null || break
        done
        exec {displayfd}>&-
        [ -n "$number" ] && return 0
        echo "Xvfb attempt $attempt did not start" >>"$log"
        kill "$xvfb" 2>/dev/null || true
        sleep 0.5
    done
    return 1
}
