#!/bin/sh
# CPU of the settings window, printed as figures (no pass/fail):
#   1. idle: the block there, no finger on it, over IDLE_SECONDS;
#   2. a finger moving over the pad at a driver's 125 Hz (tpsim replay),
#      which the live view follows frame by frame;
# each beside the X server's CPU over the same time (it does the drawing),
# and the window's resident memory.
# Usage (as root, for a private IPC namespace):
#   bench/settings/settings_cpu.sh BUILD_DIR [IDLE_SECONDS] [REPLAY_SECONDS]
# The window runs without an accessibility bus (NO_AT_BRIDGE=1).
set -eu

if [ "${VORELL_BENCH_INNER:-}" != 1 ]; then
    # A private block, and nothing left running after the bench.
    VORELL_BENCH_INNER=1 exec unshare --ipc --pid --fork --kill-child --mount-proc "$0" "$@"
fi

build=$(cd "${1:?usage: settings_cpu.sh BUILD_DIR [IDLE_SECONDS] [REPLAY_SECONDS]}" && pwd)
idle_s=${2:-30}
replay_s=${3:-20}
PATH=$build/bin:$PATH
export PATH
. "$(dirname "$0")/../cpu_figures.sh"

tpsim create
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x800x24 3>"$work/display" >/dev/null 2>&1 &
x=$!
pids="$pids $x"
n=200
while [ ! -s "$work/display" ] && [ "$n" -gt 0 ]; do sleep 0.1; n=$((n - 1)); done
DISPLAY=:$(cat "$work/display")
export DISPLAY

mkdir "$work/home"
HOME=$work/home XDG_RUNTIME_DIR=$work NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory \
    vorell-settings >"$work/settings.log" 2>&1 &
s=$!
pids="$pids $s"
sleep 5   # start-up, first drawing

s0=$(cpu_ns "$s"); x0=$(cpu_ns "$x")
sleep "$idle_s"
s1=$(cpu_ns "$s"); x1=$(cpu_ns "$x")
echo "idle ${idle_s} s: vorell-settings $(percent $((s1 - s0)) "$idle_s")% of a core (goal < 0.1)," \
    "X server $(percent $((x1 - x0)) "$idle_s")%"

# One finger circling the pad at 125 Hz, then lifted.
lines=$((replay_s * 125))
awk -v n="$lines" 'BEGIN {
    for (i = 0; i < n; i++) {
        a = i * 0.02
        printf "%.3f %d %d 40 5 1 0 0 0 0 0 00000000 0 0 0 0 0 0\n", i * 0.008,
               3472 + 1200 * cos(a), 2928 + 900 * sin(a)
    }
    printf "%.3f 0 0 0 0 0 0 0 0 0 0 00000000 0 0 0 0 0 0\n", n * 0.008
}' >"$work/trace.txt"

s0=$(cpu_ns "$s"); x0=$(cpu_ns "$x")
tpsim replay --new "$work/trace.txt"
s1=$(cpu_ns "$s"); x1=$(cpu_ns "$x")
echo "a finger moving at 125 Hz for ${replay_s} s: vorell-settings $(percent $((s1 - s0)) "$replay_s")%" \
    "of a core (goal < 5), X server $(percent $((x1 - x0)) "$replay_s")%"
echo "resident memory: $(rss_kib "$s") KiB"
if ! kill -0 "$s" 2>/dev/null; then
    echo "vorell-settings ended early:"; cat "$work/settings.log"; exit 1
fi
