#!/bin/bash
# Cost of one wheel click through the engine's XTEST path against the same
# click sent by a subprocess (xte, xdotool), on a private Xvfb.
#
#   bench/actions/bench_actions.sh [BIN_DIR] [CLICKS]
set -euo pipefail

bin=${1:-$(dirname "$0")/../../build/bin}
bin=$(cd "$bin" && pwd)
clicks=${2:-300}

fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$fifo" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -f "$fifo"' EXIT
read -r number <"$fifo"
DISPLAY=":$number" "$bin/actions_wheel_click_bench" "$clicks"
