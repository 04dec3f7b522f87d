#!/usr/bin/env bash
# Builds every libFuzzer target (preset "fuzz": clang, AddressSanitizer + UndefinedBehaviorSanitizer)
# and runs each for a bounded time, starting from its seeds in tests/fuzz/corpus/<target>/.
# Exits non-zero as soon as a target fails to build or reports a finding; the crashing input is
# left in <build dir>/fuzz-artifacts/<target>/.
#   FUZZ_SECONDS    seconds per target (default: 20)
#   FUZZ_RUNS       also stop a target after this many executions (default: no such limit)
#   FUZZ_BUILD_DIR  build directory (default: build-fuzz, as the preset)
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${FUZZ_BUILD_DIR:-build-fuzz}"
limits=(-max_total_time="${FUZZ_SECONDS:-20}")
[ -z "${FUZZ_RUNS:-}" ] || limits+=(-runs="$FUZZ_RUNS")

cmake --preset fuzz -B "$build_dir" >/dev/null

# Every target named fuzz_*, whoever declared it (not the code generators Qt adds to them).
mapfile -t targets < <(cmake --build "$build_dir" --target help \
  | sed -n 's/^\(fuzz_[A-Za-z0-9_]*\):.*/\1/p' | grep -v '_autogen' | sort -u)
if [ ${#targets[@]} -eq 0 ]; then
  echo "fuzz: no fuzz_* targets found" >&2
  exit 1
fi
cmake --build "$build_dir" --target "${targets[@]}" -j2

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
for target in "${targets[@]}"; do
  binary="$(find "$build_dir" -type f -name "$target" -perm -u+x | head -n 1)"
  seeds="tests/fuzz/corpus/$target"
  work="$build_dir/fuzz-corpus/$target"
  artifacts="$build_dir/fuzz-artifacts/$target/"
  mkdir -p "$work" "$artifacts" "$seeds"
  echo "fuzz: $target, ${limits[*]}"
  # New inputs go to the scratch corpus; the seeds in the repository are only read.
  "$binary" "${limits[@]}" -artifact_prefix="$artifacts" -print_final_stats=1 "$work" "$seeds" \
    2> "$build_dir/fuzz-$target.log" || {
      echo "fuzz: $target FOUND A PROBLEM; see $build_dir/fuzz-$target.log and $artifacts" >&2
      tail -n 40 "$build_dir/fuzz-$target.log" >&2
      exit 1
    }
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' \
    "$build_dir/fuzz-$target.log" | sed "s/^/  /"
done
echo "fuzz: all ${#targets[@]} targets ran clean"
