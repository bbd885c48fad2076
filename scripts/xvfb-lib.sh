# Sourced by the run and test commands: starts a private Xvfb display unless BRINDLE_DISPLAY
# names one, exports DISPLAY, and stops the server when the calling script ends.
start_private_display() {
    if [ -n "${BRINDLE_DISPLAY:-}" ]; then export DISPLAY=$BRINDLE_DISPLAY; return; fi
    local n=90
    while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n + 1)); done
    Xvfb :$n -screen 0 1280x1024x24 -br -nolisten tcp >/dev/null 2>&1 &
    BRINDLE_XVFB_PID=$!
    trap 'kill $BRINDLE_XVFB_PID 2>/dev/null || true' EXIT
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    export DISPLAY=:$n
}
