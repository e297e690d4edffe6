#!/usr/bin/env bash
# Shows the gesture engine at work without a touchpad or a screen: starts a
# private X server, the simulated touchpad block, a recorder of what reaches
# the X server and gestured, replays a set of gesture traces, and says for
# each gesture what the desktop received. Cleans up everything it started,
# also on Ctrl-C.
#
#   scripts/demo.sh [BIN_DIR]      (or VORELL_BIN=BIN_DIR scripts/demo.sh)
#
# BIN_DIR is a build's bin folder holding gestured, tpsim, xrecord, vorellctl
# and vorellctl2. Needs Xvfb and xte (/usr/local/bin/xte, see setup.sh); run
# as root so the demo gets a touchpad block of its own (a private IPC
# namespace).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
bin=${1:-${VORELL_BIN:-}}
if [ -z "$bin" ]; then
  echo "usage: $0 BIN_DIR   (or set VORELL_BIN)" >&2
  exit 1
fi
bin=$(cd "$bin" && pwd)
for program in gestured tpsim xrecord vorellctl vorellctl2; do
  if [ ! -x "$bin/$program" ]; then
    echo "demo: $bin/$program is missing; build the project first" >&2
    exit 1
  fi
done
command -v Xvfb >/dev/null || { echo "demo: Xvfb is not installed (scripts/setup.sh)" >&2; exit 1; }
if [ ! -x /usr/local/bin/xte ]; then
  echo "demo: /usr/local/bin/xte is missing (scripts/setup.sh links it); auto-scroll will send nothing" >&2
fi

# A block of our own: the real driver's block (or another demo's) is never
# touched.
if [ -z "${VORELL_DEMO_PRIVATE:-}" ]; then
  if unshare --ipc true 2>/dev/null; then
    exec env VORELL_DEMO_PRIVATE=1 unshare --ipc bash "$0" "$bin"
  fi
  echo "demo: cannot get a private IPC namespace (not root?); using the shared one" >&2
fi

traces=$(cd "$here/../tests/e2e/traces" && pwd)
export PATH="$bin:$PATH"
work=$(mktemp -d /tmp/vorell-demo-XXXXXX)
xvfb_pid="" recorder_pid="" engine_pid="" block_made=""

cleanup() {
  trap - EXIT INT TERM
  # gestured first, with SIGTERM, so that it lets go of anything it holds.
  for pid in "$engine_pid" "$recorder_pid" "$xvfb_pid"; do
    [ -n "$pid" ] && kill -TERM "$pid" 2>/dev/null || true
  done
  for pid in "$engine_pid" "$recorder_pid" "$xvfb_pid"; do
    [ -n "$pid" ] && wait "$pid" 2>/dev/null || true
  done
  [ -n "$block_made" ] && tpsim remove 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'echo; echo "Interrupted; cleaning up."; exit 130' INT TERM

echo "Starting a private X server, the simulated touchpad, the recorder and gestured..."

. "$here/xvfb.sh"
start_xvfb "$work" || { echo "demo: Xvfb did not start" >&2; exit 1; }
xvfb_pid=$XVFB_PID

tpsim create
block_made=1
tpsim set TapButton3=1 FastKeyCheckBox=1 AutoScrollCheckBox=0

xrecord --title "Vorell demo" >"$work/seen" 2>"$work/recorder.err" &
recorder_pid=$!
for _ in $(seq 200); do grep -q '^ready' "$work/seen" && break; sleep 0.05; done
grep -q '^ready' "$work/seen" || { echo "demo: the recorder did not start" >&2; cat "$work/recorder.err" >&2; exit 1; }

gestured >"$work/engine.out" 2>"$work/engine.err" &
engine_pid=$!
# gestured has run its start-up commands when TapButton3 is back at 0.
for _ in $(seq 200); do [ "$(tpsim get TapButton3)" = 0 ] && break; sleep 0.05; done

events() { grep -c -E '^[0-9.]+ (Key|Button)' "$work/seen" || true; }

# Waits until nothing new has reached the server for 0.4 s (at most 15 s).
wait_quiet() {
  local last now quiet=0 tries=0
  last=$(events)
  while [ $quiet -lt 8 ] && [ $tries -lt 300 ]; do
    sleep 0.05
    now=$(events)
    if [ "$now" = "$last" ]; then quiet=$((quiet + 1)); else quiet=0; last=$now; fi
    tries=$((tries + 1))
  done
}

# Turns the recorder's lines after line $1 into words.
describe() {
  tail -n +"$(($1 + 1))" "$work/seen" | { grep -E '^[0-9.]+ (Key|Button)' || true; } | awk '
    function button(n) {
      if (n == 1) return "left button"
      if (n == 2) return "middle button"
      if (n == 3) return "right button"
      if (n == 4) return "wheel-up"
      if (n == 5) return "wheel-down"
      if (n == 6) return "wheel-left"
      if (n == 7) return "wheel-right"
      return "button " n
    }
    function mods(   i, s) {
      s = ""
      for (i = 1; i <= nheld; i++) s = s held[i] "+"
      return s
    }
    function emit(t) { tokens[++ntok] = t }
    function drop(k,   i, j) {
      for (i = 1; i <= nheld; i++) if (held[i] == k) {
        for (j = i; j < nheld; j++) held[j] = held[j + 1]
        nheld--
        return
      }
    }
    $2 == "KeyPress" { held[++nheld] = $3; fresh = $3; since[$3] = ntok; next }
    $2 == "KeyRelease" {
      if ($3 == fresh) { emit(mods()); sub(/\+$/, "", tokens[ntok]); tokens[ntok] = tokens[ntok] " key" }
      else if (ntok - since[$3] >= 2) emit($3 " let go (held down through the steps before)")
      fresh = ""
      drop($3)
      next
    }
    $2 == "ButtonPress" { down[$3] = $1; pressed = $3; tok_at_press = ntok; fresh = ""; next }
    $2 == "ButtonRelease" {
      if (pressed == $3 && tok_at_press == ntok && $1 - down[$3] < 100)
        emit(mods() button($3) " click")
      else
        emit(button($3) " held down for " int($1 - down[$3]) " ms, then let go")
      pressed = ""
      next
    }
    END {
      if (ntok == 0) { print "nothing"; exit }
      out = ""
      for (i = 1; i <= ntok; i = j) {
        for (j = i; j <= ntok && tokens[j] == tokens[i]; j++) ;
        n = j - i
        t = tokens[i]
        if (n > 1) t = n " " (t ~ /click$/ ? t "s" : "times " t)
        out = out (out == "" ? "" : ", ") t
      }
      print out
    }'
}

show() {  # show LABEL NOTE
  local text
  text=$(describe "$mark")
  printf '  %-34s %s%s\n' "$1:" "$text" "${2:-}"
}

gesture() {  # gesture TRACE LABEL [NOTE]
  mark=$(wc -l <"$work/seen")
  tpsim replay "$traces/$1.trace"
  wait_quiet
  show "$2" "${3:-}"
}

# A first two-finger tap proves the whole engine is polling and answering.
mark=$(wc -l <"$work/seen")
for _ in $(seq 10); do
  tpsim replay "$traces/tap_two.trace"
  for _ in $(seq 40); do [ "$(events)" -gt 0 ] && break; sleep 0.05; done
  [ "$(events)" -gt 0 ] && break
done
[ "$(events)" -gt 0 ] || { echo "demo: gestured does not answer" >&2; cat "$work/engine.err" >&2; exit 1; }
wait_quiet

echo
echo "What reached the X server for each gesture (gestured running on $DISPLAY):"
show "two-finger tap" " (the default two-finger tap action)"
# Auto-scroll repeats the direction of the last scroll steps; the settings
# panel's switch is turned on with the parameter client for this one, and
# off again after it. It comes first, while no earlier scroll has left a
# sideways direction behind that it would repeat too.
vorellctl2 AutoScrollCheckBox=1 >/dev/null
mark=$(wc -l <"$work/seen")
tpsim replay "$traces/flick_down.trace"
sleep 0.6
tpsim fingers f=1 x=3000 y=3000 z=40
sleep 0.1
tpsim fingers f=0
wait_quiet
show "flick down, auto-scroll on" " (8 from the flick, the rest by auto-scroll until a finger touched)"
vorellctl2 AutoScrollCheckBox=0 >/dev/null

gesture scroll_down "two-finger scroll down"
gesture scroll_up "two-finger scroll up"
gesture scroll_right "two-finger scroll right"
gesture pinch "pinch (zoom out)" " (zoom action 2: Control + wheel)"
gesture spread "spread (zoom in)"
gesture rotate_cw "rotate clockwise" " (rotation action 2: Control+R)"
gesture tap_three "three-finger tap" " (the default three-finger action)"
gesture swipe_left "three-finger swipe left" " (back a page)"
gesture switch_windows "window switching" " (three fingers down, one finger right, lift)"
tpsim set TapButton1=0
mark=$(wc -l <"$work/seen")
tpsim replay "$traces/tap_one.trace"
wait_quiet
show "one-finger tap" \
  " from gestured: the plain tap went back to the driver (TapButton1 is now $(tpsim get TapButton1))"
gesture drag_lift "tap-and-drag" " (ends when the finger lifts)"

echo
echo "Done; stopping gestured, the recorder and the X server."
