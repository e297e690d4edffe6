#!/usr/bin/env bash
# Gesture accuracy end to end: every recording of the labelled corpus (written
# by pad_corpus into BUILD/pad_corpus) and of tests/pad/recordings, each
# replayed by vorellpad into a private desk's block, recognised by the real
# gestured with every gesture on, and judged by what reached the X server.
#
#   bash bench/pad/corpus.sh BUILD [RECORDING...]
#
# Prints one row per recording (expected, got, right or wrong), then the
# accuracy and the false gestures. Needs root (private IPC namespaces).
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:?usage: bench/pad/corpus.sh BUILD [RECORDING...]}
shift
cmake --build "$build" --target pad_corpus vorellpad gestured tpsim xrecord vorellctl vorellctl2 >/dev/null
if (($# == 0)); then
  set -- "$build"/pad_corpus/*.evemu tests/pad/recordings/*.evemu
fi
exec "$build/bin/pad_corpus" run "$@"
