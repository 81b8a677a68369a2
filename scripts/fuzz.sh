#!/usr/bin/env bash
# Builds the libFuzzer programs of tests/fuzz with clang under ASan+UBSan in
# their own build directory and runs each for a bounded time from its
# committed corpus and regression inputs. Fails on any crash, sanitizer
# report, leak, timeout or out-of-memory; the input that did it is kept in
# the work directory, to be added to tests/fuzz/regression/<target>/.
#
#   OMXML_FUZZ_SECONDS    time per target (default 60)
#   OMXML_FUZZ_TARGETS    targets to run (default "reader load xpath")
#   OMXML_FUZZ_BUILD_DIR  build directory (default build-fuzz)
#   OMXML_FUZZ_WORK_DIR   grown corpora and findings (default <build dir>/work)
#   OMXML_FUZZ_ARGS       extra libFuzzer arguments
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${OMXML_FUZZ_SECONDS:-60}
targets=${OMXML_FUZZ_TARGETS:-"reader load xpath"}
build_dir=${OMXML_FUZZ_BUILD_DIR:-build-fuzz}
work=${OMXML_FUZZ_WORK_DIR:-$build_dir/work}

OMXML_WITH_FUZZ=1 bash scripts/deps.sh

# The library is instrumented for coverage too; only the fuzz programs link the engine.
cmake -S . -B "$build_dir" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DOMXML_FUZZ=ON -DOMXML_SANITIZE=ON -DOMXML_BUILD_TOOLS=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" >/dev/null
programs=()
for t in $targets; do programs+=("omxml_fuzz_$t"); done
cmake --build "$build_dir" -j"${OMXML_FUZZ_JOBS:-2}" --target "${programs[@]}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=()
for t in $targets; do
  case $t in
    reader) max_len=4096 dict=tests/fuzz/xml.dict ;;
    load) max_len=8192 dict=tests/fuzz/xml.dict ;;
    xpath) max_len=512 dict=tests/fuzz/xpath.dict ;;
    *) max_len=4096 dict= ;;
  esac
  mkdir -p "$work/$t/corpus"
  log="$work/$t/fuzz.log"
  echo "== fuzz $t for ${seconds}s (log: $log)"
  args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len="$max_len"
        -print_final_stats=1 -artifact_prefix="$work/$t/")
  [ -n "$dict" ] && args+=(-dict="$dict")
  # Corpus folders that git does not hold (an empty regression folder) are left out.
  inputs=("$work/$t/corpus")
  for d in "tests/fuzz/corpus/$t" "tests/fuzz/regression/$t"; do
    [ -d "$d" ] && inputs+=("$d")
  done
  set +e
  # shellcheck disable=SC2086
  "$build_dir/tests/fuzz/omxml_fuzz_$t" "${args[@]}" ${OMXML_FUZZ_ARGS:-} "${inputs[@]}" >"$log" 2>&1
  rc=$?
  set -e
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)|^Done [0-9]+ runs' "$log" || true
  echo "corpus: $(find "$work/$t/corpus" -type f | wc -l) files grown in $work/$t/corpus"
  if [ $rc -ne 0 ] || grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:|SUMMARY: ' "$log"; then
    echo "!! fuzz $t failed (exit $rc):"
    grep -E 'ERROR|runtime error|SUMMARY|Test unit written|fuzz check failed' "$log" | head -20
    failed+=("$t")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: FAILED: ${failed[*]}"
  exit 1
fi
echo "fuzz: OK (${seconds}s each: $targets)"
