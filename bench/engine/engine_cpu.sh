#!/bin/sh
# CPU and memory of gestured, printed as figures (no pass/fail):
#   1. idle, no finger on the simulator's block, over 30 s, next to a bare
#      loop that only copies the block every 5 ms, measured in the same run;
#   2. during a two-finger movement replayed at a driver's 125 Hz, by a
#      publisher that does not signal its reports (as the driver) and by one
#      that does (as vorellpad: tpsim --signal), next to the same replay
#      under a bare loop that polls on the engine's pause schedule and clicks
#      the wheel once per change (gestured stopped meanwhile);
#   3. resident memory after the replays, with the mappings it is made of;
#   4. the first scroll step's latency, block write to ButtonPress, from
#      latency_bench (a gestured of its own on an Xvfb of its own);
# and at the end the three scrolling figures side by side.
# Usage (as root, for a private IPC namespace):
#   bench/engine/engine_cpu.sh BUILD_DIR [IDLE_SECONDS] [REPLAY_SECONDS]
# BUILD_DIR/bin must hold gestured, tpsim, vorellctl, vorellctl2,
# bench_copy_loop and latency_bench.
set -eu

if [ "${VORELL_BENCH_INNER:-}" != 1 ]; then
    # Re-run in a private IPC namespace so the block is our own.
    VORELL_BENCH_INNER=1 exec unshare --ipc "$0" "$@"
fi

build=$(cd "${1:?usage: engine_cpu.sh BUILD_DIR [IDLE_SECONDS] [REPLAY_SECONDS]}" && pwd)
idle_s=${2:-30}
replay_s=${3:-10}
bin=$build/bin
PATH=$bin:$PATH
export PATH
. "$(dirname "$0")/../cpu_figures.sh"

tpsim create
tpsim set VerticalScrollingCheckBox=1 HorizontalScrollingCheckBox=1 ScrollingSpeedSlider=10 \
    AutoScrollCheckBox=0 TappingCheckBox=1

. "$(dirname "$0")/../../scripts/xvfb.sh"
start_xvfb "$work" || { echo "Xvfb did not start" >&2; exit 1; }
pids="$pids $XVFB_PID"

gestured >"$work/gestured.out" 2>"$work/gestured.err" &
g=$!
pids="$pids $g"
bench_copy_loop &
c=$!
pids="$pids $c"
sleep 2   # start-up commands and attach

g0=$(cpu_ns "$g"); c0=$(cpu_ns "$c")
sleep "$idle_s"
g1=$(cpu_ns "$g"); c1=$(cpu_ns "$c")
g_idle=$(percent $((g1 - g0)) "$idle_s")
c_idle=$(percent $((c1 - c0)) "$idle_s")
ratio=$(awk -v a=$((g1 - g0)) -v b=$((c1 - c0)) 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }')
echo "idle ${idle_s} s: gestured ${g_idle}% of a core, bare copy loop ${c_idle}%, ratio ${ratio} (goal <= 1.15)"
kill "$c"

# Two fingers moving at 125 Hz: down along y, then sideways, repeated.
lines=$((replay_s * 125))
awk -v n="$lines" 'BEGIN {
    for (i = 0; i < n; i++) {
        t = i * 0.008; k = i % 250
        if (k < 125) { y = 100 + 3 * k; x = 300 }
        else { y = 475; x = 300 + 3 * (k - 125) }
        printf "%.3f 0 0 0 0 2 0 0 0 0 0 00000000 %d %d %d %d 0 0\n", t, x - 100, y, x + 100, y
    }
    printf "%.3f 0 0 0 0 0 0 0 0 0 0 00000000 0 0 0 0 0 0\n", n * 0.008
}' >"$work/trace.txt"

for signal in "" --signal; do
    sleep 1 # the engine at rest again
    r0=$(cpu_ns "$g")
    tpsim replay --new $signal "$work/trace.txt"
    r1=$(cpu_ns "$g")
    eval "engine_ns${signal:+_signal}=$((r1 - r0))"
    echo "two-finger movement at 125 Hz for ${replay_s} s${signal:+, signalled}: gestured $(percent $((r1 - r0)) "$replay_s")% of a core"
done
rss=$(rss_kib "$g")
rss_by_mapping "$g" >"$work/mappings.txt"

# The floor: the same replay with gestured stopped and the bare loop clicking.
kill -STOP "$g"
bench_copy_loop --click &
c=$!
pids="$pids $c"
sleep 1
f0=$(cpu_ns "$c")
tpsim replay --new "$work/trace.txt"
f1=$(cpu_ns "$c")
kill "$c"
kill -CONT "$g"
floor_ns=$((f1 - f0))
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
echo "floor: bare poll-and-click loop, same replay: $(percent "$floor_ns" "$replay_s")% of a core"
echo "125 Hz ratio to the floor: $(ratio "$engine_ns" "$floor_ns"), signalled $(ratio "$engine_ns_signal" "$floor_ns") (goal <= 1.3)"
echo "resident memory: $rss KiB (goal <= 3072), by mapping:"
cat "$work/mappings.txt"

# The first step of a gesture: latency_bench's scroll gestures.
latency_bench --gestures 10 --clicks 0 >"$work/latency.txt"
sed -n '/^  steady-state steps/p; /^  first step/p; /^  floor:/p' "$work/latency.txt"
first_p50=$(awk '/^  first step/ { for (i = 1; i < NF; i++) if ($i == "p50") print $(i + 1) }' "$work/latency.txt")

echo "scrolling, this run: resident memory $rss KiB (goal <= 3072), 125 Hz ratio $(ratio "$engine_ns" "$floor_ns") (goal <= 1.3), first step median ${first_p50:-n/a} ms (goal <= 4)"
