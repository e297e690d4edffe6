#!/bin/bash
# CPU cost of the keyboard side while nobody types, and of one key press.
#
#   bench/keyboard/bench_keyboard.sh [BIN_DIR] [SECONDS]
#
# Starts a private Xvfb and, in a private IPC namespace, a simulated touchpad
# block; runs vorellidle (one keymap round trip every 20 ms) and the five
# watchers (in their one-second phase once the start-up fast phase is over)
# side by side for SECONDS (default 30) and prints each one's share of one
# core from /proc. Then kbdwatch_fastphase_bench measures what one key press
# costs a watcher in its fast phase: X round trips and CPU time.
set -euo pipefail

bin=${1:-$(dirname "$0")/../../build/bin}
bin=$(cd "$bin" && pwd)
seconds=${2:-30}
limit=0.5

if [ "${VORELL_BENCH_NS:-}" != 1 ]; then
    exec env VORELL_BENCH_NS=1 unshare --ipc "$0" "$bin" "$seconds"
fi

work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

exec 3>"$work/displayfd"
Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 >/dev/null 2>&1 &
pids+=($!)
exec 3>&-
for _ in $(seq 100); do
    [ -s "$work/displayfd" ] && break
    sleep 0.1
done
export DISPLAY=":$(head -n1 "$work/displayfd")"

"$bin/tpsim" create
"$bin/tpsim" set DisableWhenKeyCheckBox=1

programs=(vorellidle kbdwatch-palmtrack kbdwatch-covergesture kbdwatch-kbd kbdwatch-tap kbdwatch-gesture)
declare -A pid_of
for prog in "${programs[@]}"; do
    "$bin/$prog" >/dev/null 2>&1 &
    pid_of[$prog]=$!
    pids+=($!)
done

cpu_ns() {  # time a process has spent on a CPU, in nanoseconds
    awk '{ print $1 }' "/proc/$1/schedstat"
}

# Let the watchers' start-up fast phase (10000 quick polls) run out.
sleep 5
pid_of[Xvfb]=${pids[0]}
declare -A start
for prog in "${programs[@]}" Xvfb; do start[$prog]=$(cpu_ns "${pid_of[$prog]}"); done
t0=$(date +%s.%N)
sleep "$seconds"
t1=$(date +%s.%N)

echo "Idle CPU over ${seconds} s (limit ${limit}% of one core):"
for prog in "${programs[@]}" Xvfb; do
    used=$(( $(cpu_ns "${pid_of[$prog]}") - ${start[$prog]} ))
    awk -v u="$used" -v t0="$t0" -v t1="$t1" -v name="$prog" -v lim="$limit" 'BEGIN {
        pct = 100 * u / 1e9 / (t1 - t0)
        verdict = name == "Xvfb" ? "(the X server, serving all six)" : (pct <= lim ? "within" : "OVER")
        printf "  %-22s %6.3f%%  %8.1f ms  %s\n", name, pct, u / 1e6, verdict
    }'
done

echo
echo "One key press in the fast phase (release delay 0):"
"$bin/kbdwatch_fastphase_bench"
