#!/usr/bin/env bash
# Validation throughput: `omxml validate` with 1 and 2 threads against
# `xmllint --schema ... --noout` over the same tree of 900 generated files
# (1-75 KB, a third of them invalid, two schemas). The contenders run interleaved, round
# after round; the table gives the medians of wall time (the point of -j 2 is
# to use both cores) and the ratios of throughput.
#
#   OMXML_BENCH_DIR     build directory (default build-bench); data goes to its bench-data/validate
#   OMXML_BENCH_ROUNDS  rounds (default 5)
#   OMXML_BENCH_JOBS    build jobs (default 2)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${OMXML_BENCH_DIR:-build-bench}
rounds=${OMXML_BENCH_ROUNDS:-5}
jobs=${OMXML_BENCH_JOBS:-2}
files=900

OMXML_WITH_BENCH=1 bash scripts/deps.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DOMXML_BUILD_TESTS=OFF -DOMXML_BUILD_TOOLS=ON >/dev/null
cmake --build "$build" -j"$jobs" --target omxml_cli >/dev/null
tool="$build/tools/omxml"

data="$build/bench-data/validate"
stamp="$data/.generated-$files"
if [ ! -f "$stamp" ] || [ "$0" -nt "$stamp" ]; then
  echo "Generating $files files in $data"
  rm -rf "$data"
  mkdir -p "$data/orders" "$data/catalog"
  cat >"$data/orders.xsd" <<'XSD'
<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema" targetNamespace="urn:bench:orders"
           xmlns="urn:bench:orders" elementFormDefault="qualified">
  <xs:element name="order">
    <xs:complexType><xs:sequence>
      <xs:element name="customer" type="xs:string"/>
      <xs:element name="line" maxOccurs="unbounded">
        <xs:complexType><xs:sequence><xs:element name="note" type="xs:string" minOccurs="0"/></xs:sequence>
          <xs:attribute name="sku" type="xs:string" use="required"/>
          <xs:attribute name="qty" type="xs:positiveInteger" use="required"/>
          <xs:attribute name="price" type="xs:decimal" use="required"/>
        </xs:complexType>
      </xs:element>
    </xs:sequence><xs:attribute name="id" type="xs:int" use="required"/></xs:complexType>
  </xs:element>
</xs:schema>
XSD
  cat >"$data/catalog.xsd" <<'XSD'
<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema" targetNamespace="urn:bench:catalog"
           xmlns="urn:bench:catalog" elementFormDefault="qualified">
  <xs:simpleType name="state"><xs:restriction base="xs:string">
    <xs:enumeration value="draft"/><xs:enumeration value="live"/><xs:enumeration value="retired"/>
  </xs:restriction></xs:simpleType>
  <xs:element name="catalog">
    <xs:complexType><xs:sequence>
      <xs:element name="item" maxOccurs="unbounded">
        <xs:complexType><xs:sequence>
          <xs:element name="title" type="xs:string"/>
          <xs:element name="tag" type="xs:token" minOccurs="0" maxOccurs="unbounded"/>
        </xs:sequence>
          <xs:attribute name="id" type="xs:int" use="required"/>
          <xs:attribute name="state" type="state" use="required"/>
          <xs:attribute name="updated" type="xs:date"/>
        </xs:complexType>
      </xs:element>
    </xs:sequence></xs:complexType>
  </xs:element>
</xs:schema>
XSD
  # Sizes spread evenly over 1-75 KB; every third file breaks its schema near its end.
  awk -v n="$files" -v dir="$data" 'BEGIN {
    srand(14)
    for (i = 0; i < n; i++) {
      size = 1024 + int(rand() * 74 * 1024)
      invalid = i % 3 == 2
      if (i % 2 == 0) {
        f = sprintf("%s/orders/order-%04d.xml", dir, i)
        printf "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<order xmlns=\"urn:bench:orders\" id=\"%d\">\n  <customer>Customer %d &amp; Co</customer>\n", i, i > f
        written = 120
        for (k = 0; written < size; k++) {
          bad = invalid && written + 200 >= size
          line = sprintf("  <line sku=\"SKU-%d-%d\" qty=\"%s\" price=\"%d.%02d\"><note>%s</note></line>\n", i, k, bad ? "none" : (k % 9 + 1), k % 500, k % 100, k % 4 ? "deliver after noon" : "fragile: keep upright")
          printf "%s", line > f; written += length(line)
        }
        print "</order>" > f
      } else {
        f = sprintf("%s/catalog/catalog-%04d.xml", dir, i)
        printf "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<catalog xmlns=\"urn:bench:catalog\">\n" > f
        written = 80
        for (k = 0; written < size; k++) {
          bad = invalid && written + 200 >= size
          line = sprintf("  <item id=\"%d\" state=\"%s\" updated=\"2024-%02d-%02d\">\n    <title>Item %d of file %d</title>\n    <tag>alpha</tag><tag>beta %d</tag>\n  </item>\n", k, bad ? "gone" : (k % 3 ? "live" : "draft"), k % 12 + 1, k % 28 + 1, k, i, k % 7)
          printf "%s", line > f; written += length(line)
        }
        print "</catalog>" > f
      }
      close(f)
    }
  }'
  touch "$stamp"
fi

bytes=$(du -sb "$data/orders" "$data/catalog" | awk '{ s += $1 } END { print s }')
schemas=(--schema "urn:bench:orders=$data/orders.xsd" --schema "urn:bench:catalog=$data/catalog.xsd")

now() { date +%s.%N; }
# Sets cpu_now to the CPU seconds (user + system) of every child this shell
# has waited for; called directly, as a subshell would count its own.
children_cpu() {
  times >"$data/.times"
  cpu_now=$(awk 'NR == 2 {
    t = 0
    for (i = 1; i <= 2; i++) { split($i, p, "m"); sub(/s$/, "", p[2]); t += p[1] * 60 + p[2] }
    printf "%.3f", t
  }' "$data/.times")
}
# Each contender prints the number of files it found invalid, then its wall time is taken.
# Both report every problem of a file (omxml up to its default of 20).
run_omxml() {
  "$tool" validate -q -j "$1" "${schemas[@]}" "$data/orders" "$data/catalog" 2>&1 | cut -d: -f1 | sort -u | grep -c . || true
}
run_xmllint() {
  {
    xmllint --schema "$data/orders.xsd" --noout "$data"/orders/*.xml 2>&1 || true
    xmllint --schema "$data/catalog.xsd" --noout "$data"/catalog/*.xml 2>&1 || true
  } | grep -c ' fails to validate$' || true
}

declare -A times cpu invalid
contenders=("xmllint" "omxml -j 1" "omxml -j 2")
for ((round = 0; round < rounds; round++)); do
  for ((k = 0; k < ${#contenders[@]}; k++)); do
    # Rotate the order from round to round so that no contender always follows the same one.
    c=${contenders[$(((k + round) % ${#contenders[@]}))]}
    start=$(now)
    children_cpu
    cpu_start=$cpu_now
    case $c in
      xmllint) count=$(run_xmllint) ;;
      *) count=$(run_omxml "${c##* }") ;;
    esac
    end=$(now)
    children_cpu
    cpu_end=$cpu_now
    times[$c]+="$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }') "
    cpu[$c]+="$(awk -v a="$cpu_start" -v b="$cpu_end" 'BEGIN { printf "%.3f", b - a }') "
    invalid[$c]=$count
  done
done

echo "wall (s): xmllint ${times[xmllint]}; -j 1 ${times[omxml -j 1]}; -j 2 ${times[omxml -j 2]}" >&2
echo "cpu (s): xmllint ${cpu[xmllint]}; -j 1 ${cpu[omxml -j 1]}; -j 2 ${cpu[omxml -j 2]}" >&2
median() { tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
x=$(echo "${times[xmllint]}" | median)
j1=$(echo "${times[omxml -j 1]}" | median)
j2=$(echo "${times[omxml -j 2]}" | median)
cx=$(echo "${cpu[xmllint]}" | median)
c1=$(echo "${cpu[omxml -j 1]}" | median)
c2=$(echo "${cpu[omxml -j 2]}" | median)

echo "validation: $files files, $((bytes / 1048576)) MiB, two schemas; medians of $rounds rounds, $(nproc) cores, load average $(cut -d' ' -f1 /proc/loadavg)"
echo "invalid files found: xmllint ${invalid[xmllint]}, omxml -j 1 ${invalid[omxml -j 1]}, omxml -j 2 ${invalid[omxml -j 2]} (expected $((files / 3)))"
awk -v x="$x" -v j1="$j1" -v j2="$j2" -v cx="$cx" -v c1="$c1" -v c2="$c2" -v n="$files" 'BEGIN {
  printf "%-26s %9s %9s %10s %13s  %-18s %s\n", "measure", "wall", "CPU", "files/s", "ratio (wall)", "target", ""
  printf "%-26s %7.2f s %7.2f s %10.0f\n", "xmllint --schema --noout", x, cx, n / x
  r = c1 / cx; printf "%-26s %7.2f s %7.2f s %10.0f %12.2fx  %-18s %s\n", "omxml validate -j 1", j1, c1, n / j1, x / j1, "CPU <= 1.00x", (r <= 1 ? "holds" : "MISSED")
  r = x / j2; printf "%-26s %7.2f s %7.2f s %10.0f %12.2fx  %-18s %s\n", "omxml validate -j 2", j2, c2, n / j2, r, "throughput >= 1.70x", (r >= 1.7 ? "holds" : "MISSED")
  printf "%-26s %31s %12.2fx\n", "-j 1 CPU time / xmllint", "", c1 / cx
}'
