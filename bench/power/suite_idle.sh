#!/bin/bash
# What the whole suite costs while nobody touches the pad or the keyboard:
# wake-ups a second and share of a core of every daemon, and their sum,
# beside the floors of the polling way (a bare loop that copies the block
# every 5 ms, a bare keyboard poller every 20 ms) measured in the same run.
# Figures only, no pass or fail.
#
#   bench/power/suite_idle.sh BUILD_DIR [IDLE_SECONDS]
#
# As root (a private IPC and pid namespace). Starts a private Xvfb;
# vorellpad replays a real two-finger scroll and then rests (its recording
# ends with an hour of nothing), and gestured, vorellidle and the five
# watchers run on its block. IDLE_SECONDS (default 30) are measured three
# times: with the watchers switched on (DisableWhenKeyCheckBox=1) and off
# (the fresh block's 0), and then once vorellpad has ended, with nobody
# signalling reports (as with the touchpad driver, whose block the engine
# polls). A wake-up is a context switch, voluntary or not, of any of the
# process's threads (/proc/PID/task/*/status).
set -euo pipefail

if [ "${VORELL_BENCH_INNER:-}" != 1 ]; then
    VORELL_BENCH_INNER=1 exec unshare --ipc --pid --fork --kill-child --mount-proc "$0" "$@"
fi

build=$(cd "${1:?usage: suite_idle.sh BUILD_DIR [IDLE_SECONDS]}" && pwd)
idle_s=${2:-30}
here=$(cd "$(dirname "$0")" && pwd)
PATH=$build/bin:$PATH
export PATH
. "$here/../cpu_figures.sh"
. "$here/../../scripts/xvfb.sh"

start_xvfb "$work" || { echo "Xvfb did not start" >&2; exit 1; }
pids="$pids $XVFB_PID"

# The scroll as a laptop recorded it, then an hour's rest before the last
# report.
recording=$here/../../tests/pad/recordings/pad-s.two-finger-scroll-vertical.evemu
awk '/^E:/ { last = $2 } { print } END { printf "E: %.6f 0000 0000 0\n", last + 3600 }' \
    "$recording" >"$work/rests.evemu"
vorellpad --replay "$work/rests.evemu" >/dev/null 2>"$work/vorellpad.err" &
pid_of_vorellpad=$!
pids="$pids $pid_of_vorellpad"
tries=100
until vorellctl2 -l >/dev/null 2>&1; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || { echo "vorellpad made no block:"; cat "$work/vorellpad.err"; exit 1; }
    sleep 0.1
done

watchers="kbdwatch-palmtrack kbdwatch-covergesture kbdwatch-kbd kbdwatch-tap kbdwatch-gesture"
suite="gestured vorellpad vorellidle $watchers"
start() { # NAME COMMAND...
    local name=$1
    shift
    "$@" >/dev/null 2>"$work/$name.err" &
    eval "pid_of_${name//-/_}=$!"
    pids="$pids $!"
}
pid_of() { eval "echo \$pid_of_${1//-/_}"; }
start gestured gestured
start vorellidle vorellidle
for w in $watchers; do start "$w" "$w"; done
start copy-loop-5ms bench_copy_loop
start keyboard-poller-20ms keyboard_bench_tool poll 20
pid_of_Xvfb=$XVFB_PID

wakeups() {
    cat /proc/"$1"/task/*/status 2>/dev/null |
        awk '/^(non)?voluntary_ctxt_switches:/ { s += $2 } END { printf "%d\n", s }'
}

# measure LABEL: every program's figures over IDLE_SECONDS.
measure() {
    local name t0 t1
    declare -A w0 c0
    for name in $suite copy-loop-5ms keyboard-poller-20ms Xvfb; do
        w0[$name]=$(wakeups "$(pid_of "$name")")
        c0[$name]=$(cpu_ns "$(pid_of "$name")")
    done
    t0=$(date +%s.%N)
    sleep "$idle_s"
    t1=$(date +%s.%N)
    echo
    echo "$1 ($idle_s s)"
    printf '  %-24s %12s %11s\n' program "wake-ups/s" "% of core"
    local sum_w=0 sum_c=0 w c
    row() { # NAME WAKEUPS CPU_NS
        awk -v n="$1" -v w="$2" -v c="$3" -v t0="$t0" -v t1="$t1" 'BEGIN {
            printf "  %-24s %12.2f %10.3f%%\n", n, w / (t1 - t0), 100 * c / 1e9 / (t1 - t0) }'
    }
    for name in $suite; do
        w=$(($(wakeups "$(pid_of "$name")") - ${w0[$name]}))
        c=$(($(cpu_ns "$(pid_of "$name")") - ${c0[$name]}))
        sum_w=$((sum_w + w))
        sum_c=$((sum_c + c))
        row "$name" "$w" "$c"
    done
    row "the suite (sum above)" "$sum_w" "$sum_c"
    for name in copy-loop-5ms keyboard-poller-20ms Xvfb; do
        w=$(($(wakeups "$(pid_of "$name")") - ${w0[$name]}))
        c=$(($(cpu_ns "$(pid_of "$name")") - ${c0[$name]}))
        row "$name" "$w" "$c"
    done
}

echo "Load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
vorellctl2 DisableWhenKeyCheckBox=1
sleep 5 # start-up commands, the recorded scroll, settling
measure "Idle, watchers switched on"
vorellctl2 DisableWhenKeyCheckBox=0
sleep 3
measure "Idle, watchers switched off"
kill "$pid_of_vorellpad"
wait "$pid_of_vorellpad" || true
suite=${suite/vorellpad /}
sleep 3
measure "Idle, watchers off, vorellpad ended: a block nobody signals"
echo
echo "Load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
for name in $suite; do
    if ! kill -0 "$(pid_of "$name")" 2>/dev/null; then
        echo "$name ended early: $(head -c 300 "$work/$name.err")"
    fi
done
