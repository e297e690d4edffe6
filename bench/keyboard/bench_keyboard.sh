#!/bin/bash
# CPU and X round trips of the five key-activity watchers, beside a bare
# keyboard poller (XQueryKeymap every 20 ms) measured in the same run.
#
#   bench/keyboard/bench_keyboard.sh [BIN_DIR] [IDLE_SECONDS] [WATCHER_DIR]
#
# BIN_DIR holds tpsim, vorellidle (measured too) and
# the bench helpers (keyboard_bench_tool and libkeymap_query_counter.so);
# WATCHER_DIR (default BIN_DIR) the five
# kbdwatch-* programs, so that another build of the watchers can be measured
# with the same helpers. Starts a private Xvfb and, in a private IPC
# namespace, a simulated touchpad block with DisableWhenKeyCheckBox=1 and the
# default release delays (0.5 s), then measures three spells:
#   idle       nobody types, IDLE_SECONDS (default 30)
#   shift      left Shift held down for 3 s
#   typing     10 s of letters at 5 a second, each held 80 ms
# (typed through the X server's own keyboard, as a person types), and then
# the time from a key press to vorellidle's TouchpadOff in the block.
# For each spell it prints each program's share of one core (from
# /proc/PID/schedstat) and its XQueryKeymap calls (one X round trip each,
# counted by libkeymap_query_counter.so loaded with LD_PRELOAD), the X
# server's share, and how busy the whole machine was.
set -euo pipefail

bin=${1:-$(dirname "$0")/../../build/release/bin}
bin=$(cd "$bin" && pwd)
idle_seconds=${2:-30}
watchers=${3:-$bin}
watchers=$(cd "$watchers" && pwd)

if [ "${VORELL_BENCH_NS:-}" != 1 ]; then
    exec env VORELL_BENCH_NS=1 unshare --ipc "$0" "$bin" "$idle_seconds" "$watchers"
fi

work=$(mktemp -d)
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

. "$(dirname "$0")/../../scripts/xvfb.sh"
start_xvfb "$work" || { echo "Xvfb did not start" >&2; exit 1; }
xvfb_pid=$XVFB_PID
pids+=("$xvfb_pid")

"$bin/tpsim" create
"$bin/tpsim" set DisableWhenKeyCheckBox=1

watcher_names=(kbdwatch-palmtrack kbdwatch-covergesture kbdwatch-kbd kbdwatch-tap kbdwatch-gesture)
names=("${watcher_names[@]}" vorellidle poller-20ms)
declare -A pid_of
for name in "${watcher_names[@]}"; do
    KEYMAP_QUERY_COUNT_FILE="$work/$name.count" LD_PRELOAD="$bin/libkeymap_query_counter.so" \
        "$watchers/$name" >/dev/null 2>"$work/$name.err" &
    pid_of[$name]=$!
    pids+=($!)
done
KEYMAP_QUERY_COUNT_FILE="$work/vorellidle.count" LD_PRELOAD="$bin/libkeymap_query_counter.so" \
    "$bin/vorellidle" >/dev/null 2>&1 &
pid_of[vorellidle]=$!
pids+=($!)
KEYMAP_QUERY_COUNT_FILE="$work/poller-20ms.count" LD_PRELOAD="$bin/libkeymap_query_counter.so" \
    "$bin/keyboard_bench_tool" poll 20 &
pid_of[poller-20ms]=$!
pids+=($!)
pid_of[Xvfb]=$xvfb_pid

cpu_ns() { awk '{ print $1 }' "/proc/$1/schedstat"; }
queries() { [ -s "$work/$1.count" ] && od -An -tu8 -N8 "$work/$1.count" | tr -d ' ' || echo 0; }
busy_jiffies() { awk '/^cpu / { print $2 + $3 + $4 + $7 + $8 " " $2 + $3 + $4 + $5 + $6 + $7 + $8 }' /proc/stat; }

# measure LABEL KEY_PRESSES COMMAND...: runs COMMAND and prints what every
# program used while it ran.
measure() {
    local label=$1 presses=$2
    shift 2
    declare -A cpu0 q0
    for name in "${names[@]}" Xvfb; do cpu0[$name]=$(cpu_ns "${pid_of[$name]}"); done
    for name in "${names[@]}"; do q0[$name]=$(queries "$name"); done
    read -r busy0 total0 < <(busy_jiffies)
    local t0 t1
    t0=$(date +%s.%N)
    "$@" >/dev/null
    t1=$(date +%s.%N)
    read -r busy1 total1 < <(busy_jiffies)
    echo
    printf '%s (%.1f s; whole machine %s%% busy of %d cores)\n' "$label" "$(echo "$t1 - $t0" | bc)" \
        "$(awk -v b=$((busy1 - busy0)) -v t=$((total1 - total0)) 'BEGIN { printf "%.0f", 100 * b / t }')" "$(nproc)"
    printf '  %-22s %9s %10s %12s %16s\n' program "% of core" "cpu ms" "round trips" "trips/key press"
    local sum=0
    for name in "${names[@]}" Xvfb; do
        local used=$(( $(cpu_ns "${pid_of[$name]}") - ${cpu0[$name]} )) trips=- per=-
        if [ "$name" != Xvfb ]; then
            trips=$(( $(queries "$name") - ${q0[$name]} ))
            [ "$presses" -gt 0 ] && per=$(awk -v t="$trips" -v p="$presses" 'BEGIN { printf "%.1f", t / p }')
        fi
        case $name in kbdwatch-*) sum=$((sum + used)) ;; esac
        awk -v u="$used" -v t0="$t0" -v t1="$t1" -v name="$name" -v trips="$trips" -v per="$per" 'BEGIN {
            printf "  %-22s %8.3f%% %10.1f %12s %16s\n", name, 100 * u / 1e9 / (t1 - t0), u / 1e6, trips, per }'
    done
    awk -v u="$sum" -v t0="$t0" -v t1="$t1" 'BEGIN {
        printf "  %-22s %8.3f%% %10.1f\n", "all five watchers", 100 * u / 1e9 / (t1 - t0), u / 1e6 }'
}

echo "Watchers: $watchers"
echo "Load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
# Let start-up settle (the old watchers begin with a fast phase of quick polls).
sleep 5
measure "Idle, nobody types" 0 sleep "$idle_seconds"
measure "Left Shift held 3 s" 1 "$bin/keyboard_bench_tool" hold 50 3
sleep 3
measure "Typing 10 s, 5 letters a second" 50 "$bin/keyboard_bench_tool" type 10 5 80
echo
echo "vorellidle (idle time 0.5 s), 20 presses after a quiet keyboard:"
echo "  $("$bin/keyboard_bench_tool" disable 20)"
echo
echo "Load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
for name in "${watcher_names[@]}"; do
    if [ -s "$work/$name.err" ]; then
        echo "$name said: $(head -c 300 "$work/$name.err")"
    fi
done
