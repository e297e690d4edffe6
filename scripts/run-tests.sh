#!/usr/bin/env bash
# Sets everything up and runs all tests: the formatting check, the include
# graph's check for circles, a normal build with its tests and clang-tidy, an
# AddressSanitizer + UndefinedBehaviorSanitizer build, and the engine's tests
# and the end-to-end tests of its release when killed mid-gesture under
# ThreadSanitizer. Tests that touch the touchpad block run in private IPC
# namespaces and start their own Xvfb, so this needs root and no display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc)

echo "== formatting"
bash scripts/check-style.sh format

echo "== include graph"
python3 scripts/include-cycles.py

echo "== normal build"
bash scripts/build.sh build/release -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
# Each test run has a /tmp of its own and must leave it empty.
bash scripts/in-private-tmp.sh ctest --test-dir build/release -j"$jobs" --output-on-failure --timeout 300

echo "== clang-tidy"
bash scripts/check-style.sh tidy build/release

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
bash scripts/build.sh build/asan -DVORELL_SANITIZE=address -DVORELL_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  bash scripts/in-private-tmp.sh ctest --test-dir build/asan -j"$jobs" --output-on-failure --timeout 600

echo "== ThreadSanitizer build (engine, and its release end to end)"
bash scripts/build.sh build/tsan -DVORELL_SANITIZE=thread -DVORELL_BENCH=OFF
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  bash scripts/in-private-tmp.sh ctest --test-dir build/tsan -j"$jobs" -L engine --output-on-failure --timeout 600
# The exit clean-up on a signal, in the real engine with its threads busy
# (about 10 s).
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  bash scripts/in-private-tmp.sh ctest --test-dir build/tsan -R '^Release\.' --output-on-failure --timeout 600

echo "== fuzz smoke run (clang, libFuzzer, ASan+UBSan; about 20 s)"
bash fuzz/run_fuzz.sh --smoke
