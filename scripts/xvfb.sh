# The one way the scripts start a private X server. Sourced (by sh or bash)
# by the demo and the benchmark scripts:
#
#   . scripts/xvfb.sh
#   start_xvfb WORK_DIR || exit 1
#
# starts Xvfb on a display number the server picks itself (-displayfd, so
# two runs never race for a number), waits until it accepts connections (at
# most 20 s), exports DISPLAY and sets XVFB_PID for the caller's clean-up.
# When the server does not come up it is ended and the status is 1.
start_xvfb() {
    _xvfb_number_file=$1/xvfb-display
    : >"$_xvfb_number_file"
    # -noreset: a client that connects while the server resets (after its
    # last client left) would be refused.
    Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1024x768x24 3>"$_xvfb_number_file" >/dev/null 2>&1 &
    XVFB_PID=$!
    _xvfb_tries=200
    while [ "$_xvfb_tries" -gt 0 ]; do
        # The server writes its number and a newline once it is ready.
        if grep -q '^[0-9][0-9]*$' "$_xvfb_number_file" 2>/dev/null; then
            DISPLAY=:$(head -n 1 "$_xvfb_number_file")
            export DISPLAY
            return 0
        fi
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1
        _xvfb_tries=$((_xvfb_tries - 1))
    done
    kill "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
    return 1
}
