#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the unit
# tests, the same tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer, the saved cue sheets under valgrind, the
# threaded core tests and the main window (start-up, refresh, lookup, session
# end during a rip) under ThreadSanitizer, then the window tests under a
# virtual X server, one by one, then each window test program whole, and each
# window test program again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh

jobs=$(nproc)
logdir="$root/build/test-logs"
mkdir -p "$logdir"

run_ctest() { # build-dir label log [wrapper...]
  local dir=$1 label=$2 log=$3
  shift 3
  (cd "$dir" && "$@" ctest -L "$label" -j "$jobs" --output-on-failure --no-tests=ignore) 2>&1 | tee "$log"
  return "${PIPESTATUS[0]}"
}

echo "== Build"
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQCR_WERROR=ON
cmake --build build/test -j "$jobs"

echo "== Unit tests"
run_ctest build/test unit "$logdir/unit.log"

echo "== Unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DQCR_WERROR=ON -DQCR_SANITIZE=ON \
  -DQCR_BUILD_GUI=OFF -DQCR_BUILD_BENCH=OFF
cmake --build build/asan -j "$jobs"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
run_ctest build/asan unit "$logdir/asan.log"

echo "== Saved cue sheets replayed under valgrind"
# The image driver of libcdio is not built with the sanitizers; valgrind sees
# its invalid reads and writes, and the leaks of the sheets it mishandles.
valgrind_passed=0
valgrind_failed=0
if (cd build/test/bin && valgrind -q --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite \
  ./fuzz_cue_sheet "$root/tests/fuzz/corpus/cue_sheet") >"$logdir/valgrind-cue-sheet.log" 2>&1; then
  valgrind_passed=1
  echo "passed: fuzz_cue_sheet under valgrind"
else
  valgrind_failed=1
  echo "FAILED: fuzz_cue_sheet under valgrind (see $logdir/valgrind-cue-sheet.log)"
fi

echo "== Threaded core tests under ThreadSanitizer"
# The programs whose tests run worker threads: the player, the rip job, the
# disc worker with its lookup, the media poller and the event log. Each
# program counts as one test.
tsan_programs=(app_player_engine_test rip_rip_job_wav_test rip_rip_job_mp3_test
  rip_rip_job_failure_test app_disc_worker_test app_album_lookup_test
  app_media_poller_test app_event_log_test app_exit_sequence_test)
cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQCR_WERROR=ON -DQCR_SANITIZE_THREAD=ON \
  -DQCR_BUILD_GUI=OFF -DQCR_BUILD_BENCH=OFF
cmake --build build/tsan -j "$jobs" --target "${tsan_programs[@]}" lame_enc lame_enc_incomplete lame_enc_no_info_tag
tsan_passed=0
tsan_failed=0
run_tsan() { # name log command...: one program under ThreadSanitizer, counted as one test
  local name=$1 log=$2
  shift 2
  if "$@" >"$log" 2>&1; then
    tsan_passed=$((tsan_passed + 1))
    echo "passed: $name"
  else
    tsan_failed=$((tsan_failed + 1))
    echo "FAILED: $name (see $log)"
  fi
}
for program in "${tsan_programs[@]}"; do
  run_tsan "$program" "$logdir/tsan-$program.log" env -C build/tsan/bin \
    TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" timeout 600 "./$program"
done

echo "== The main window under ThreadSanitizer"
# Start-up, refresh (the command, drive changes, the tray), album lookup (the
# demo server with one match and with several, the chooser), and a signal that
# ends the real program, and the main window in the test process, in the
# middle of WAV and MP3 rips: the window reads the album while the disc worker
# writes it, and every rip thread must have ended before the exit sequence
# frees the rings and closes the drive. Only what these tests need is built,
# windows included. The desktop libraries are not instrumented: their own
# calls are not checked (ignore_noninstrumented_modules).
tsan_gui_runs=(
  "app_main_window_gui_test:MainWindowGui.StartUp*:MainWindowGui.ImageRefresh*:MainWindowGui.VirtualTray*:MainWindowGui.CommandsWait*"
  "app_album_lookup_gui_test:AlbumLookupGui.*"
  "app_track_list_gui_test:TrackListGui.RipFromTheWindowWritesTheCheckedTracks"
  "app_program_gui_test:*SessionEndDuring*")
cmake -S . -B build/tsan-gui -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQCR_WERROR=ON -DQCR_SANITIZE_THREAD=ON \
  -DQCR_BUILD_BENCH=OFF
cmake --build build/tsan-gui -j "$jobs" --target quarno-cd-ripper qcr-demo-disc lame_enc "${tsan_gui_runs[@]%%:*}"
for run in "${tsan_gui_runs[@]}"; do
  program=${run%%:*}
  run_tsan "$program under ThreadSanitizer" "$logdir/tsan-$program.log" env -C build/tsan-gui/bin \
    TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ignore_noninstrumented_modules=1" \
    timeout 600 xvfb-run -a -s "-screen 0 1280x1024x24" "./$program" --gtest_filter="${run#*:}"
done

echo "== Window tests"
# Each window test gets a quiet sound setup and its own home folder.
run_ctest build/test gui "$logdir/gui.log" xvfb-run -a -s "-screen 0 1280x1024x24"

echo "== Window test programs, each run whole"
# ctest starts every test in a process of its own; a program must also pass
# when its tests share one process, as they do when it is run by hand. Each
# program run whole counts as one test; one that hangs fails after ten minutes.
whole_passed=0
whole_failed=0
: >"$logdir/whole.log"
for source in tests/*/*_gui_test.cpp; do
  module=$(basename "$(dirname "$source")")
  program="${module}_$(basename "$source" .cpp)"
  [ -x "build/test/bin/$program" ] || continue
  if (cd build/test/bin && timeout 600 xvfb-run -a -s "-screen 0 1280x1024x24" "./$program") \
    >"$logdir/whole-$program.log" 2>&1; then
    whole_passed=$((whole_passed + 1))
    echo "passed: $program" | tee -a "$logdir/whole.log"
  else
    whole_failed=$((whole_failed + 1))
    echo "FAILED: $program (see $logdir/whole-$program.log)" | tee -a "$logdir/whole.log"
    grep -E '^\[  FAILED  \]' "$logdir/whole-$program.log" || true
  fi
done

echo "== Window test programs under AddressSanitizer and UndefinedBehaviorSanitizer"
# Every window test program, built with both sanitizers and run whole (the
# main-window programs walk start, lookup, WAV and MP3 rips, playback,
# options, editor, about and exit); a report in our code stops the program.
# wx and GTK are not instrumented: tests/lsan.supp names the few system
# libraries that keep memory until the end, and the accessibility bridge,
# which does the same, stays off. The programs run in parallel, each group
# on a display of its own.
cmake -S . -B build/asan-gui -DCMAKE_BUILD_TYPE=Debug -DQCR_WERROR=ON -DQCR_SANITIZE=ON \
  -DQCR_BUILD_GUI=ON -DQCR_BUILD_BENCH=OFF
asan_gui_programs=()
for source in tests/*/*_gui_test.cpp; do
  asan_gui_programs+=("$(basename "$(dirname "$source")")_$(basename "$source" .cpp)")
done
asan_gui_tools=()
for source in tests/support/*_main.cpp; do
  name=$(basename "$source" _main.cpp)
  asan_gui_tools+=("qcr-${name//_/-}")
done
cmake --build build/asan-gui -j "$jobs" --target "${asan_gui_programs[@]}" "${asan_gui_tools[@]}" \
  quarno-cd-ripper lame_enc lame_enc_incomplete lame_enc_no_info_tag
asan_gui_groups=$((jobs < 4 ? jobs : 4))
for group in $(seq 0 $((asan_gui_groups - 1))); do
  (
    for i in "${!asan_gui_programs[@]}"; do
      [ $((i % asan_gui_groups)) -eq "$group" ] || continue
      program=${asan_gui_programs[$i]}
      if (cd build/asan-gui/bin && NO_AT_BRIDGE=1 timeout 600 \
        xvfb-run -a -n $((120 + 10 * group)) -s "-screen 0 1280x1024x24" "./$program") \
        >"$logdir/asan-gui-$program.log" 2>&1; then
        echo "passed: $program"
      else
        echo "FAILED: $program (see $logdir/asan-gui-$program.log)"
      fi
    done
  ) >"$logdir/asan-gui-group-$group.log" &
done
wait
cat "$logdir"/asan-gui-group-*.log | sort -k2 | tee "$logdir/asan-gui.log"
asan_gui_passed=$(grep -c '^passed:' "$logdir/asan-gui.log" || true)
asan_gui_failed=$(grep -c '^FAILED:' "$logdir/asan-gui.log" || true)

# One closing line for the whole run.
passed=$((whole_passed + tsan_passed + valgrind_passed + asan_gui_passed))
failed=$((whole_failed + tsan_failed + valgrind_failed + asan_gui_failed))
for log in "$logdir"/unit.log "$logdir"/asan.log "$logdir"/gui.log; do
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1 || true)
  [ -n "$line" ] || continue
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  bad=$(sed -E 's/.*, ([0-9]+) tests failed.*/\1/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
done
echo "tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
