#!/usr/bin/env bash
# The tree's formatting and its clang-tidy checks.
#   scripts/check-style.sh format        every C and C++ file formats clean
#   scripts/check-style.sh tidy BUILD    clang-tidy over BUILD's compile commands
#   scripts/check-style.sh fix           formats every file in place
set -euo pipefail
cd "$(dirname "$0")/.."

sources() { git ls-files -z -- '*.c' '*.cpp' '*.h'; }

case "${1:-}" in
  format)
    sources | xargs -0 clang-format --dry-run --Werror
    echo "formatting: clean"
    ;;
  fix)
    sources | xargs -0 clang-format -i
    ;;
  tidy)
    build=${2:?usage: check-style.sh tidy BUILD_DIR}
    # Only the project's own files; the compile commands also list nothing else.
    run-clang-tidy -p "$build" -quiet -j"$(nproc)" "$PWD/" >"$build/clang-tidy.log" 2>&1 || {
      sed 's/\x1b\[[0-9;]*m//g' "$build/clang-tidy.log" | grep -E 'warning:|error:' | sort -u
      echo "clang-tidy: findings above (whole log: $build/clang-tidy.log)"
      exit 1
    }
    echo "clang-tidy: clean"
    ;;
  *)
    echo "usage: check-style.sh format | fix | tidy BUILD_DIR" >&2
    exit 2
    ;;
esac
