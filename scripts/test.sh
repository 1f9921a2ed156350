#!/usr/bin/env bash
# Sets up the machine, builds Quillon 32 and runs every test. Tests that show windows get a
# virtual X display of their own when none is there.
# Then the whole suite runs again under AddressSanitizer and UBSan, in a build folder of its own
# (QUILLON_SKIP_ASAN=1 skips that stage): every path of the program reads files strangers make.
# Last the tests that use threads (label "threads") run under ThreadSanitizer, in a third build
# folder (QUILLON_SKIP_TSAN=1 skips it). It judges only what we build: Qt, GStreamer, PulseAudio
# and GLib are not built with it, so their own calls are not checked, and where Qt's locks order
# a hand-over of ours the job mechanism names it (src/platform/jobs/HandOff.h).
set -euo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)
# Prints how long the step begun at $1 took, so that a slow run shows where its time went.
took() { echo "test: $2 took $(( $(date +%s) - $1 )) s"; }
bash scripts/setup.sh
step=$(date +%s)
bash scripts/build.sh
took "$step" "the build"
step=$(date +%s)
status=0
log=$(mktemp)
asan_log=$(mktemp)
tsan_log=$(mktemp)
trap 'rm -f "$log" "$asan_log" "$tsan_log"' EXIT
set +e
(cd "${QUILLON_BUILD_DIR:-build}" && ctest --output-on-failure --timeout 900 -j "$(nproc)" "$@") 2>&1 | tee "$log"
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1
set -e
# ctest's closing line; "100%" exactly, so that "0% tests passed" is a failure.
grep -qE '^100% tests passed, 0 tests failed' "$log" || status=1
took "$step" "the tests"

if [ "${QUILLON_SKIP_ASAN:-0}" != 1 ]; then
  echo "test: the whole suite under AddressSanitizer and UBSan"
  # Its presets keep line tables only (-g1): enough for the reports' stack traces, and the
  # build, which is most of the stage, is faster.
  step=$(date +%s)
  ASAN_DIR=${QUILLON_ASAN_BUILD_DIR:-build-asan}
  generator=()
  [ -f "$ASAN_DIR/CMakeCache.txt" ] || generator=(--preset asan)
  cmake "${generator[@]}" -S . -B "$ASAN_DIR" -DQUILLON_BUILD_BENCH=OFF >/dev/null
  cmake --build "$ASAN_DIR" --parallel "$(nproc)"
  took "$step" "the AddressSanitizer build"
  step=$(date +%s)
  set +e
  (cd "$ASAN_DIR" && ASAN_OPTIONS=detect_leaks=0 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --output-on-failure --timeout 1800 -j "$(nproc)" "$@") 2>&1 | tee "$asan_log"
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
  set -e
  grep -qE '^100% tests passed, 0 tests failed' "$asan_log" || status=1
  took "$step" "the tests under AddressSanitizer"
fi
if [ "${QUILLON_SKIP_TSAN:-0}" != 1 ]; then
  echo "test: the tests that use threads (label \"threads\") under ThreadSanitizer"
  TSAN_DIR=${QUILLON_TSAN_BUILD_DIR:-build-tsan}
  generator=()
  [ -f "$TSAN_DIR/CMakeCache.txt" ] || generator=(--preset tsan)
  cmake "${generator[@]}" -S . -B "$TSAN_DIR" -DQUILLON_BUILD_BENCH=OFF >/dev/null
  # At -O1 with line tables only, which builds faster and still names every racing line.
  # Only what the labelled tests need: the whole tree under TSan would double the stage's time.
  mapfile -t tsan_targets < <(cd "$TSAN_DIR" && ctest -N -L threads | sed -nE 's/^ *Test +#[0-9]+: +//p')
  step=$(date +%s)
  cmake --build "$TSAN_DIR" --parallel "$(nproc)" --target "${tsan_targets[@]}"
  set +e
  # The path taken before the cd: $PWD inside the subshell is the build folder.
  supp="$PWD/scripts/tsan.supp"
  (cd "$TSAN_DIR" && TSAN_OPTIONS="halt_on_error=1:die_after_fork=0:second_deadlock_stack=1:ignore_noninstrumented_modules=1:suppressions=$supp" \
    ctest --output-on-failure --timeout 1800 -j "$(nproc)" -L threads) 2>&1 | tee "$tsan_log"
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
  set -e
  grep -qE '^100% tests passed, 0 tests failed' "$tsan_log" || status=1
  took "$step" "the ThreadSanitizer stage"
fi
# The counts of the three stages, last, so the closing lines speak for every test.
stage() {
  local counts
  counts=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$2" | tail -n 1 |
    sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2 \1/') || true
  if [ "$3" = 1 ]; then
    echo "$1: skipped"
  elif [ -z "$counts" ]; then
    echo "$1: did not run to the end"
  else
    read -r total failed <<<"$counts"
    echo "$1: $((total - failed)) passed, $failed failed"
  fi
}
stage "all tests" "$log" 0
stage "all tests under ASan and UBSan" "$asan_log" "${QUILLON_SKIP_ASAN:-0}"
stage "threads tests under ThreadSanitizer" "$tsan_log" "${QUILLON_SKIP_TSAN:-0}"
echo "test: $(( ($(date +%s) - start) / 60 )) min $(( ($(date +%s) - start) % 60 )) s in all"
exit $status
