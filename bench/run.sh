#!/usr/bin/env bash
# Installs what is missing (the peers pugixml and RapidXML among it), builds the
# benchmarks in Release, generates their data, runs them and prints a table of
# ratios of omxml against its peers measured in the same process.
#
#   OMXML_BENCH_DIR          build directory (default build-bench); data and
#                            results go to its bench-data and bench-results
#   OMXML_BENCH_REPETITIONS  repetitions of every benchmark (default 5, at least 5)
#   OMXML_BENCH_JOBS         build jobs (default 2)
#   OMXML_BENCH_CATALOG_MIB  size of the generated catalog (default 64)
#   OMXML_BENCH_HUGE_MIB     size of the catalog checked without a tree (default 600)
# Extra arguments go to every benchmark program (e.g. --benchmark_filter=walk).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${OMXML_BENCH_DIR:-build-bench}
reps=${OMXML_BENCH_REPETITIONS:-5}
jobs=${OMXML_BENCH_JOBS:-2}
catalog_mib=${OMXML_BENCH_CATALOG_MIB:-64}
huge_mib=${OMXML_BENCH_HUGE_MIB:-600}
if [ "$reps" -lt 5 ]; then
  echo "OMXML_BENCH_REPETITIONS must be at least 5" >&2
  exit 2
fi

OMXML_WITH_BENCH=1 bash scripts/deps.sh

cmake -S . -B "$build" -DOMXML_BUILD_BENCH=ON -DCMAKE_BUILD_TYPE=Release \
  -DOMXML_BUILD_TESTS=OFF -DOMXML_BUILD_TOOLS=OFF >/dev/null
cmake --build "$build" -j"$jobs" --target omxml_bench_gen omxml_bench_reader omxml_bench_backend omxml_bench_memory

bin="$build/bench"
data="$build/bench-data"
results="$build/bench-results"
mkdir -p "$data" "$results"
stamp="$data/.generated-$catalog_mib"
if [ ! -f "$stamp" ] || [ "$bin/omxml_bench_gen" -nt "$stamp" ]; then
  echo "Generating data in $data"
  rm -f "$data"/.generated-*
  "$bin/omxml_bench_gen" "$data" "$catalog_mib"
  touch "$stamp"
fi
huge="$data/huge"
if [ ! -f "$huge/.generated-$huge_mib" ] || [ "$bin/omxml_bench_gen" -nt "$huge/.generated-$huge_mib" ]; then
  echo "Generating the $huge_mib MiB catalog in $huge"
  rm -rf "$huge"
  mkdir -p "$huge"
  "$bin/omxml_bench_gen" "$huge" "$huge_mib"
  touch "$huge/.generated-$huge_mib"
fi

common=(--benchmark_repetitions="$reps" --benchmark_enable_random_interleaving=true
  --benchmark_report_aggregates_only=true --benchmark_out_format=csv --data="$data")
# The reader's comparisons run twice: with glibc's default malloc, and with a
# malloc that keeps its heap (no trimming, no mmap of large blocks, a large top
# pad), which is where pugixml's many allocations are cheapest.
heap_kept="glibc.malloc.trim_threshold=4294967295:glibc.malloc.mmap_max=0:glibc.malloc.top_pad=268435456"
# One process per group of comparisons; every comparison inside one process.
runs=("reader" "reader-kept" "backend --part=load" "backend --part=tree" "backend --part=validate")
for run in "${runs[@]}"; do
  read -r program part <<<"$run"
  out="$results/$program${part:+-${part#--part=}}.csv"
  tunables=${GLIBC_TUNABLES:-}
  if [ "$program" = reader-kept ]; then
    program=reader
    tunables=$heap_kept
  fi
  echo
  echo "== omxml_bench_$program $part${tunables:+ (GLIBC_TUNABLES=$tunables)}"
  rm -f "$out"
  # shellcheck disable=SC2086
  if ! GLIBC_TUNABLES=$tunables "$bin/omxml_bench_$program" $part "${common[@]}" --benchmark_out="$out" "$@"; then
    echo "omxml_bench_$program $part failed: its rows below are not measured" >&2
    rm -f "$out"
  fi
done

echo
echo "== memory (one process per scenario)"
: >"$results/memory.txt"
for scenario in reader-walk pugixml-walk rapidxml-walk backend-load libxml2-load libxml2-rules-load reader-deep; do
  if line=$("$bin/omxml_bench_memory" "$scenario" --data="$data" 2>"$results/memory-$scenario.err"); then
    echo "$line" | tee -a "$results/memory.txt"
  else
    rc=$?
    echo "scenario=$scenario failed=$rc" | tee -a "$results/memory.txt"
  fi
done
# The streaming check of the huge catalog against its schema.
if line=$("$bin/omxml_bench_memory" backend-check --data="$huge" 2>"$results/memory-backend-check.err"); then
  echo "$line" | tee -a "$results/memory.txt"
else
  echo "scenario=backend-check failed=$?" | tee -a "$results/memory.txt"
fi

cpu=$(awk -F': *' '/^model name/ { print $2; exit }' /proc/cpuinfo)
compiler=$(awk -F= '/^CMAKE_CXX_COMPILER:/ { print $2 }' "$build/CMakeCache.txt")
compiler_version=$("$compiler" --version | head -n 1)

# Medians out of the CSV reports: "name cpu_time_ns bytes_per_second". CPU
# time, not wall time: on a shared machine a contender's wall time also holds
# the time other processes ran, which has nothing to do with it.
medians() {
  [ -f "$1" ] || return 0
  awk -F, '
    $1 == "name" {
      for (i = 1; i <= NF; i++) col[$i] = i
      next
    }
    {
      name = $1; gsub(/"/, "", name)
      if (name !~ /_median$/ || $col["error_occurred"] == "true") next
      sub(/_median$/, "", name)
      unit = $col["time_unit"]
      scale = unit == "s" ? 1e9 : unit == "ms" ? 1e6 : unit == "us" ? 1e3 : 1
      bps = $col["bytes_per_second"]; if (bps == "") bps = 0
      printf "%s %.6g %.6g\n", name, $col["cpu_time"] * scale, bps
    }' "$1"
}

{
  echo "machine: $(nproc) cores, $cpu, $compiler_version"
  echo "medians of $reps repetitions (CPU time), contenders interleaved in one process; catalog $catalog_mib MiB"
  echo
  {
    for csv in "$results"/reader.csv "$results"/backend-load.csv "$results"/backend-tree.csv \
      "$results"/backend-validate.csv; do
      medians "$csv" | sed 's/^/T /'
    done
    medians "$results"/reader-kept.csv | sed 's/^/T kept:/'
    sed 's/^/M /' "$results/memory.txt"
  } | awk '
    function row(measure, om, peer, r, target, verdict) {
      printf "%-44s %14s %14s %9s  %-9s %s\n", measure, om, peer, r, target, verdict
    }
    function have(name) { return (name in ns) && ns[name] > 0 }
    function mbs(name) { return sprintf("%.0f MB/s", bps[name] / 1e6) }
    function ms(name) { return sprintf("%.2f ms", ns[name] / 1e6) }
    function us(name) { return sprintf("%.2f us", ns[name] / 1e3) }
    function mib(kib) { return sprintf("%.1f MiB", kib / 1024) }
    function measured(s) { return (s in used) && failed[s] == "" && check[s] !~ /fail/ }
    $1 == "T" { ns[$2] = $3; bps[$2] = $4; next }
    $1 == "M" {
      delete kv
      for (i = 2; i <= NF; i++) { split($i, p, "="); kv[p[1]] = p[2] }
      s = kv["scenario"]
      failed[s] = kv["failed"]; check[s] = kv["check"]
      if (failed[s] == "") { used[s] = kv["peak_kib"] - kv["baseline_kib"]; base[s] = kv["baseline_kib"]; bytes[s] = kv["file_bytes"] }
      next
    }
    END {
      nm = "not measured"
      row("measure", "omxml", "peer", "ratio", "target", "")
      row("-------", "-----", "----", "-----", "------", "")
      for (k = 0; k < 2; k++) {
        m = k ? "kept:" : ""
        tag = k ? " (heap kept)" : " (default malloc)"
        if (have(m "walk/omxml") && have(m "walk/pugixml")) {
          r = bps[m "walk/omxml"] / bps[m "walk/pugixml"]
          row("walk vs pugixml" tag, mbs(m "walk/omxml"), mbs(m "walk/pugixml"), sprintf("%.3fx", r), ">= 2.00x", r >= 2 ? "holds" : "MISSED")
          if (have(m "walk/rapidxml")) {
            r = bps[m "walk/omxml"] / bps[m "walk/rapidxml"]
            row("walk vs RapidXML" tag, mbs(m "walk/omxml"), mbs(m "walk/rapidxml"), sprintf("%.3fx", r), "", "")
          }
          if (have(m "walk/strchr")) {
            r = bps[m "walk/omxml"] / bps[m "walk/strchr"]
            row("walk vs strchr floor" tag, mbs(m "walk/omxml"), mbs(m "walk/strchr"), sprintf("%.3fx", r), "", "")
          }
        } else row("catalog walk" tag, nm, "", "", ">= 2.00x", "NOT MEASURED")
        if (have(m "config/omxml") && have(m "config/pugixml")) {
          r = ns[m "config/omxml"] / ns[m "config/pugixml"]
          row("config cycle (time)" tag, us(m "config/omxml"), us(m "config/pugixml"), sprintf("%.3fx", r), "<= 0.80x", r <= 0.8 ? "holds" : "MISSED")
        } else row("config cycle (time)" tag, nm, "", "", "<= 0.80x", "NOT MEASURED")
      }
      # Back-end: against plain libxml2 (the whole price), then against
      # libxml2 doing the same extra work (the price of the wrapper alone).
      split("load/catalog load/attributes load/entities xpath by_tag get_xml save validate", ops, " ")
      for (k = 1; k <= 8; k++) {
        op = ops[k]
        limit = op == "load/catalog" ? 1.05 : 1.10
        target = sprintf("<= %.2fx", limit)
        if (have(op "/omxml") && have(op "/libxml2")) {
          r = ns[op "/omxml"] / ns[op "/libxml2"]
          row("back-end " op " vs libxml2", ms(op "/omxml"), ms(op "/libxml2"), sprintf("%.3fx", r), target, r <= limit ? "holds" : "MISSED")
        } else row("back-end " op " vs libxml2", nm, "", "", target, "NOT MEASURED")
        if (have(op "/omxml") && have(op "/libxml2+rules"))
          row("  vs libxml2 + the same rules", ms(op "/omxml"), ms(op "/libxml2+rules"), sprintf("%.3fx", ns[op "/omxml"] / ns[op "/libxml2+rules"]), "", "")
      }
      if (measured("reader-walk")) {
        over = used["reader-walk"] / 1024 - bytes["reader-walk"] / 1048576
        row("reader walk peak - file size", sprintf("%.2f MiB", over), "", "", "<= 1 MiB", over <= 1 ? "holds" : "MISSED")
        if (measured("pugixml-walk")) row("reader walk peak vs pugixml", mib(used["reader-walk"]), mib(used["pugixml-walk"]), sprintf("%.3fx", used["reader-walk"] / used["pugixml-walk"]), "", "")
        if (measured("rapidxml-walk")) row("reader walk peak vs RapidXML", mib(used["reader-walk"]), mib(used["rapidxml-walk"]), sprintf("%.3fx", used["reader-walk"] / used["rapidxml-walk"]), "", "")
      } else row("reader walk peak - file size", nm, "", "", "<= 1 MiB", "NOT MEASURED")
      if (measured("backend-load") && measured("libxml2-load")) {
        r = used["backend-load"] / used["libxml2-load"]
        row("back-end load peak vs libxml2", mib(used["backend-load"]), mib(used["libxml2-load"]), sprintf("%.3fx", r), "<= 1.05x", r <= 1.05 ? "holds" : "MISSED")
        if (measured("libxml2-rules-load"))
          row("  vs libxml2 + the same rules", mib(used["backend-load"]), mib(used["libxml2-rules-load"]), sprintf("%.3fx", used["backend-load"] / used["libxml2-rules-load"]), "", "")
      } else row("back-end load peak vs libxml2", measured("backend-load") ? "" : "load failed", "", "", "<= 1.05x", "NOT MEASURED")
      if (measured("backend-check") && check["backend-check"] == "valid") {
        peak = (used["backend-check"] + base["backend-check"]) / 1024
        row(sprintf("check without a tree, %.0f MiB, peak", bytes["backend-check"] / 1048576), sprintf("%.1f MiB", peak), "", "", "<= 64 MiB", peak <= 64 ? "holds" : "MISSED")
      } else row("check without a tree, peak", measured("backend-check") ? check["backend-check"] : "failed", "", "", "<= 64 MiB", "NOT MEASURED")
      deep_ok = failed["reader-deep"] == "" && check["reader-deep"] ~ /depth:100000,text:x,stepped-over/
      row("reader on 100 000-deep file", deep_ok ? "ok" : (failed["reader-deep"] != "" ? "exit " failed["reader-deep"] : check["reader-deep"]), "", "", "no crash", deep_ok ? "holds" : "MISSED")
    }'
} | tee "$results/table.txt"

echo
echo "== validation throughput: omxml validate against xmllint (bench/bench_validate.sh)"
OMXML_BENCH_DIR="$build" OMXML_BENCH_JOBS="$jobs" bash bench/bench_validate.sh | tee "$results/validate.txt"
