#!/usr/bin/env bash
# Sets everything up, builds, and shows the suite working end to end on a
# private X server with the simulated touchpad. Needs root (it installs
# packages and uses a private IPC namespace); needs no display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build/release -DVORELL_TESTS=OFF -DVORELL_BENCH=OFF
bin=$PWD/build/release/bin

if [ -x "$bin/gestured" ] && [ -f scripts/demo.sh ]; then
  exec env VORELL_BIN="$bin" bash scripts/demo.sh "$bin"
fi

# Without the engine: the simulator replays a short touch session and the
# parameter client's monitor shows the live finger state as it changes.
exec unshare --ipc bash -c '
  set -euo pipefail
  bin=$1
  "$bin/tpsim" create
  trap "kill \$mon 2>/dev/null || true; \"$bin/tpsim\" remove" EXIT
  echo "Touchpad block created; vorellctl2 -m 5 shows every change of the finger state:"
  "$bin/vorellctl2" -m 5 & mon=$!
  sleep 0.2
  "$bin/tpsim" replay scripts/monitor-demo.trace
  sleep 0.2
' demo "$bin"
