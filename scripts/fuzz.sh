#!/usr/bin/env bash
# Fuzzes each parser with libFuzzer for a while: builds the fuzz targets with
# clang under AddressSanitizer and UndefinedBehaviorSanitizer in build/fuzz,
# then runs every target (or the ones named) for the given number of seconds,
# starting from its saved corpus in tests/fuzz/corpus/<target>/.
#
#   scripts/fuzz.sh [seconds per target, default 60] [target ...]
#
# New inputs and crash reproducers go to a scratch folder (printed at the
# end), never into the repository: copy an input worth keeping into the
# target's corpus by hand, where ctest replays it from then on.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

seconds=${1:-60}
shift || true
all=(ini cache_file cddb_reply cue_sheet text_file file_naming)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")

if ! command -v clang++ >/dev/null || ! command -v clang >/dev/null; then
  echo "fuzz.sh: clang is needed for libFuzzer; install the clang package" >&2
  exit 2
fi

build="$root/build/fuzz"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link -Wno-unknown-warning-option" \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link -Wno-unknown-warning-option" \
  -DQCR_SANITIZE=ON -DQCR_FUZZ=ON -DQCR_WERROR=OFF -DQCR_BUILD_GUI=OFF -DQCR_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/qcr-fuzz-run-XXXXXX")
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
failed=()
for target in "${targets[@]}"; do
  corpus="$scratch/$target/corpus"
  crashes="$scratch/$target/crashes"
  mkdir -p "$corpus" "$crashes"
  echo "== $target: $seconds s"
  # The first folder collects new inputs; the saved corpus is only read.
  if ! (cd "$scratch/$target" && "$build/bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 \
      -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$crashes/" \
      "$corpus" "$root/tests/fuzz/corpus/$target") >"$scratch/$target/log" 2>&1; then
    failed+=("$target")
    echo "   found a failure: $(ls "$crashes" | head -n 1) (log: $scratch/$target/log)"
  fi
  grep -E '^stat::number_of_executed_units|^Done' "$scratch/$target/log" | sed 's/^/   /' || true
done

echo "New inputs and crash reproducers: $scratch"
if [ ${#failed[@]} -gt 0 ]; then
  echo "Targets with findings: ${failed[*]}"
  exit 1
fi
