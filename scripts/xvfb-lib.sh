# Sourced by the run and test commands: starts a private Xvfb display unless BRINDLE_DISPLAY
# names one, exports DISPLAY, makes sure a window manager runs on it, and stops what it
# started when the calling script ends.
#
# Without a window manager Wine waits about two seconds for every top-level window it hides;
# with one the wait is a few milliseconds, which is most of the window suites' time.
brindle_stop_display() {
    [ -n "${BRINDLE_WM_PID:-}" ] && kill "$BRINDLE_WM_PID" 2>/dev/null
    [ -n "${BRINDLE_XVFB_PID:-}" ] && kill "$BRINDLE_XVFB_PID" 2>/dev/null
    return 0
}

# A window manager announces itself on the root window; a display that has one keeps it.
has_window_manager() {
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

start_window_manager() {
    command -v openbox >/dev/null || return 0
    has_window_manager && return 0
    openbox --sm-disable >/dev/null 2>&1 &
    BRINDLE_WM_PID=$!
    for _ in $(seq 50); do has_window_manager && break; sleep 0.1; done
}

start_private_display() {
    trap brindle_stop_display EXIT
    if [ -n "${BRINDLE_DISPLAY:-}" ]; then
        export DISPLAY=$BRINDLE_DISPLAY
        start_window_manager
        return
    fi
    local n=90
    while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n + 1)); done
    Xvfb :$n -screen 0 1280x1024x24 -br -nolisten tcp >/dev/null 2>&1 &
    BRINDLE_XVFB_PID=$!
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    export DISPLAY=:$n
    start_window_manager
}
