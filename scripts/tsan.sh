#!/usr/bin/env bash
# Builds the library and the thread stress test under ThreadSanitizer and runs
# the stress test; fails on any report or wrong result.
#
#   OMXML_TSAN_DIR   build directory (default build-tsan)
#   OMXML_STRESS_MS  how long the stress test runs, in milliseconds (default 1500)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build=${OMXML_TSAN_DIR:-build-tsan}
jobs=${OMXML_JOBS:-$(nproc)}
cmake -S . -B "$build" -DOMXML_TSAN=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOMXML_WERROR=ON -DOMXML_BUILD_TOOLS=OFF >/dev/null
cmake --build "$build" -j"$jobs" --target omxml_threads_tests
log="$build/tsan-report.txt"
# halt_on_error stops at the first report; the log is searched too, in case a
# report did not change the exit status.
if ! TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}" \
  "$build/tests/omxml_threads_tests" 2>&1 | tee "$log"; then
  echo "thread stress test failed under ThreadSanitizer" >&2
  exit 1
fi
if grep -q "ThreadSanitizer" "$log"; then
  echo "ThreadSanitizer reported a problem" >&2
  exit 1
fi
