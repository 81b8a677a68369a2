#!/usr/bin/env bash
# Builds the reference of the public API with Doxygen: the headers as
# installed (only the public ones) and the pages of docs/. Fails on any
# warning, an undocumented public member among them. The HTML goes to
# <build>/reference/html.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${OMXML_BUILD_DIR:-build}

bash scripts/apt.sh doxygen

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cmake --install "$build_dir" --prefix "$stage/prefix" >/dev/null
mkdir -p "$stage/pages"
cp docs/*.md "$stage/pages/"

rm -rf "$build_dir/reference"
mkdir -p "$build_dir/reference"
OMXML_DOC_INPUT="$stage/prefix/include/omxml $stage/pages" \
  OMXML_DOC_OUTPUT="$build_dir/reference" \
  OMXML_DOC_STRIP="$stage/prefix/include/omxml $stage/pages" \
  doxygen docs/Doxyfile 2>&1 | sed "s|$stage/prefix/include/omxml/||g; s|$stage/pages/|docs/|g"
status=${PIPESTATUS[0]}
[ "$status" -eq 0 ] || { echo "reference: Doxygen reported the warnings above" >&2; exit 1; }
echo "reference: $build_dir/reference/html/index.html"
