#!/usr/bin/env bash
# Sets up the machine, builds Quillon 32 and runs every test. Tests that show windows get a
# virtual X display of their own when none is there.
# Then the picture decoders run again under AddressSanitizer and UBSan, in a build folder of their
# own holding only the imaging tests (QUILLON_SKIP_ASAN=1 skips that stage).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
status=0
log=$(mktemp)
trap 'rm -f "$log"' EXIT
set +e
(cd "${QUILLON_BUILD_DIR:-build}" && ctest --output-on-failure --timeout 900 -j "$(nproc)" "$@") 2>&1 | tee "$log"
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1
set -e
grep -q "tests passed" "$log" || status=1

if [ "${QUILLON_SKIP_ASAN:-0}" != 1 ]; then
  echo "test: imaging decoders under AddressSanitizer"
  ASAN_DIR=${QUILLON_ASAN_BUILD_DIR:-build-asan}
  cmake --preset asan -B "$ASAN_DIR" -DQUILLON_BUILD_BENCH=OFF >/dev/null
  cmake --build "$ASAN_DIR" --parallel "$(nproc)" --target tst_imaging tst_formattable
  (cd "$ASAN_DIR" && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --output-on-failure --timeout 900 -R '^tst_(imaging|formattable)$') || status=$?
fi
# The whole run's count, last, so the closing line speaks for every test and not only the
# sanitizer stage.
summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
if [ -n "$summary" ]; then
  failed=$(echo "$summary" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/')
  total=$(echo "$summary" | sed -E 's/.* tests failed out of ([0-9]+).*/\1/')
  echo "all tests: $((total - failed)) passed, $failed failed"
fi
exit $status
