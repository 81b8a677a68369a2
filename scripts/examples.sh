#!/usr/bin/env bash
# Installs omxml into a staging prefix and builds and runs both examples
# against the installed package (not the build tree).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${OMXML_BUILD_DIR:-build}
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cmake --install "$build_dir" --prefix "$stage/prefix" >/dev/null

for example in read_config documents; do
  cmake -S "examples/$example" -B "$stage/$example" -DCMAKE_PREFIX_PATH="$stage/prefix" >/dev/null
  cmake --build "$stage/$example" -j"$(nproc)" >/dev/null
done

"$stage/read_config/read_config" examples/read_config/app.xml
"$stage/documents/documents" "$stage"

bash scripts/doc_snippets.sh "$stage/prefix"

# The pkg-config files describe the same libraries.
PKG_CONFIG_PATH="$stage/prefix/lib/pkgconfig" pkg-config --exists omxml omxml-backend
echo "examples: OK"
