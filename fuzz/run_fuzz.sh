#!/usr/bin/env bash
# Runs the fuzz targets and prints executions and findings per target.
#
#   bash fuzz/run_fuzz.sh [SECONDS] [TARGET...]   each target for SECONDS (default 60)
#   bash fuzz/run_fuzz.sh --smoke                 the smoke targets, about 20 s in all
#
# Builds build/fuzz (clang, libFuzzer, ASan+UBSan) when it is missing.
# Targets are those listed by fuzz/CMakeLists.txt (build/fuzz/fuzz_targets.txt).
# Each target's corpus grows in build/fuzz/corpus/NAME, seeded from
# fuzz/corpus/NAME (committed regression inputs; NAME_wide shares NAME's) and
# from the project's recorded traces; fuzz/NAME.dict, where there is one, is
# the target's dictionary. A finding is saved under
# build/fuzz/findings/NAME/ and makes the script end with status 1.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/fuzz

smoke=0
if [[ ${1:-} == --smoke ]]; then
  smoke=1
  shift
fi
seconds=60
if [[ ${1:-} =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi

if [[ ! -f $build/CMakeCache.txt ]]; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVORELL_FUZZ=ON -DVORELL_TESTS=OFF -DVORELL_BENCH=OFF >/dev/null
fi
cmake --build "$build" --target fuzz_all -j"$(nproc)" >/dev/null

# name and kind (smoke or long) per line.
mapfile -t listed < "$build/fuzz_targets.txt"
targets=()
for entry in "${listed[@]}"; do
  read -r name kind <<< "$entry"
  if (($# > 0)); then
    for wanted in "$@"; do [[ $wanted == "$name" ]] && targets+=("$name"); done
  elif ((smoke == 0)) || [[ $kind == smoke ]]; then
    targets+=("$name")
  fi
done
if ((${#targets[@]} == 0)); then
  echo "no such fuzz target: $*" >&2
  exit 2
fi
if ((smoke)); then
  seconds=$(( (20 + ${#targets[@]} - 1) / ${#targets[@]} ))
fi

# Seed files of one target, from the project's own recordings.
make_seeds() {
  local name=$1 dir=$2
  local traces
  mapfile -t traces < <(find "$root/tests" "$root/scripts" -name '*.trace' | sort)
  case $name in
    trace_line) cp "${traces[@]}" "$dir"/ ;;
    recogniser) "$build/bin/recogniser_seed" "$dir" "${traces[@]}" >/dev/null ;;
    recogniser_wide) "$build/bin/recogniser_seed" --wide "$dir" "${traces[@]}" >/dev/null ;;
    pad_recording) find "$root/tests" "$root/pad" -name '*.evemu' -exec cp {} "$dir"/ \; ;;
  esac
}

printf '%-20s %8s %14s %10s %9s\n' target seconds executions exec/s findings
status=0
for name in "${targets[@]}"; do
  corpus=$build/corpus/$name
  seeds=$build/seeds/$name
  findings=$build/findings/$name
  log=$build/logs/$name.log
  mkdir -p "$corpus" "$findings" "$(dirname "$log")"
  rm -rf "$seeds"
  mkdir -p "$seeds"
  make_seeds "$name" "$seeds"
  committed=$root/fuzz/corpus/${name%_wide}
  dirs=("$corpus" "$seeds")
  [[ -d $committed ]] && dirs+=("$committed")

  dict=()
  [[ -f $root/fuzz/${name%_wide}.dict ]] && dict=("-dict=$root/fuzz/${name%_wide}.dict")

  before=$(find "$findings" -type f | wc -l)
  rc=0
  "$build/bin/${name}_fuzz" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$findings/" "${dict[@]}" "${dirs[@]}" > "$log" 2>&1 || rc=$?
  after=$(find "$findings" -type f | wc -l)
  found=$((after - before))
  if ((rc != 0 && found == 0)); then
    found=1  # the target failed without leaving an input behind
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  if [[ -z $runs ]]; then
    runs=$(grep -oE '^#[0-9]+' "$log" | tail -1 | tr -d '#')
  fi
  runs=${runs:-0}
  printf '%-20s %8s %14s %10s %9s\n' "$name" "$seconds" "$runs" "$((runs / seconds))" "$found"
  if ((found > 0)); then
    status=1
    grep -E 'runtime error|ERROR: |invariant|out of range|restore command|trace line' "$log" | head -3 | sed 's/^/    /'
    echo "    log: $log; inputs: $findings/"
  fi
done
exit $status
