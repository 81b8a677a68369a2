#!/usr/bin/env bash
# Checks omxml as its users get it:
# - installs it into a staging prefix, then moves the whole tree elsewhere, and
#   builds and runs both examples against the moved package (CMake package and
#   pkg-config files must find it where it now is);
# - every installed header compiles on its own with the package's flags;
# - no installed file holds the path of the source or build tree;
# - the documentation's C++ snippets compile and link against it;
# - the documents example builds through add_subdirectory of the source tree,
#   with the same #include <omxml/...> lines.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${OMXML_BUILD_DIR:-build}
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cmake --install "$build_dir" --prefix "$stage/installed" >/dev/null
mv "$stage/installed" "$stage/prefix"
prefix=$stage/prefix

for example in read_config documents; do
  cmake -S "examples/$example" -B "$stage/$example" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
  cmake --build "$stage/$example" -j"$(nproc)" >/dev/null
done
"$stage/read_config/read_config" examples/read_config/app.xml
"$stage/documents/documents" "$stage"

# The pkg-config files locate the package from their own place.
pc_dir=$(dirname "$(find "$prefix" -name omxml-backend.pc | head -n1)")
export PKG_CONFIG_PATH=$pc_dir
includedir=$(pkg-config --variable=includedir omxml)
[ "$(cd "$includedir" && pwd -P)" = "$(cd "$prefix/include" && pwd -P)" ] ||
  { echo "examples: pkg-config's includedir $includedir is not the moved prefix's" >&2; exit 1; }

# Every installed header alone, with the flags of the package it belongs to.
headers=$(cd "$prefix/include" && find omxml -name '*.h' | sort)
echo "$headers" | while read -r header; do
  package=omxml
  case "$header" in omxml/backend/*) package=omxml-backend ;; esac
  echo "$header $package"
done | xargs -P "$(nproc)" -n 2 sh -c '
  printf "#include <%s>\n" "$0" | g++ -std=c++17 -Wall -Wextra -Wpedantic -Werror -fsyntax-only \
    $(pkg-config --cflags "$1") -x c++ - || { echo "examples: $0 does not compile alone" >&2; exit 255; }'
echo "examples: $(echo "$headers" | wc -l) installed headers compile alone"

# No path of this machine's trees in what is installed.
for tree in "$PWD" "$(cd "$build_dir" && pwd)"; do
  if grep -rlF "$tree" "$prefix"; then
    echo "examples: the files above hold the path $tree" >&2
    exit 1
  fi
done

bash scripts/doc_snippets.sh "$prefix"

# Through add_subdirectory, as README shows.
cmake -S examples/documents -B "$stage/subdir" -DOMXML_SOURCE_DIR="$PWD" >/dev/null
cmake --build "$stage/subdir" -j"$(nproc)" >/dev/null
"$stage/subdir/documents" "$stage"
echo "examples: OK"
