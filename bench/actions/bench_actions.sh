#!/bin/bash
# Cost of one wheel click through the engine's XTEST path against the same
# click sent by a subprocess (xte, xdotool), and what asking the gestures
# file costs per gesture (bench_binding_lookup), on a private Xvfb.
#
#   bench/actions/bench_actions.sh [BIN_DIR] [CLICKS]
set -euo pipefail

bin=${1:-$(dirname "$0")/../../build/bin}
bin=$(cd "$bin" && pwd)
clicks=${2:-300}

work=$(mktemp -d)
trap 'kill "${XVFB_PID:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
. "$(dirname "$0")/../../scripts/xvfb.sh"
start_xvfb "$work" || { echo "Xvfb did not start" >&2; exit 1; }
"$bin/actions_wheel_click_bench" "$clicks"
"$bin/bench_binding_lookup"
