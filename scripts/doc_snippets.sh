#!/usr/bin/env bash
# Compiles and links every C++ snippet of README.md and docs/*.md against an
# installed omxml (PREFIX, the first argument), so the documentation cannot rot.
set -euo pipefail
cd "$(dirname "$0")/.."
prefix=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
python3 - "$out" README.md docs/*.md <<'PY'
import re, sys, pathlib
out = pathlib.Path(sys.argv[1])
n = 0
for doc in sys.argv[2:]:
    for block in re.findall(r"```cpp\n(.*?)```", open(doc, encoding="utf-8").read(), re.S):
        n += 1
        (out / f"snippet{n}.cpp").write_text(block, encoding="utf-8")
print(f"{n} snippets")
PY
pc_dir=$(dirname "$(find "$prefix" -name omxml-backend.pc | head -n1)")
flags=$(PKG_CONFIG_PATH="$pc_dir" pkg-config --cflags --libs omxml-backend)
libdir=$(PKG_CONFIG_PATH="$pc_dir" pkg-config --variable=libdir omxml)
for src in "$out"/*.cpp; do
  # shellcheck disable=SC2086
  g++ -std=c++17 -Wall -Wextra -Wpedantic -Werror "$src" -o "${src%.cpp}" $flags -Wl,-rpath,"$libdir"
done
echo "documentation snippets: OK"
