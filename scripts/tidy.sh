#!/usr/bin/env bash
# Checks that the tree is formatted (.clang-format) and runs clang-tidy
# (.clang-tidy) over the library's sources, using the compile commands of a
# build directory.
set -euo pipefail
cd "$(dirname "$0")/.."
OMXML_WITH_TIDY=1 bash scripts/deps.sh
git ls-files '*.h' '*.cpp' | xargs clang-format --dry-run -Werror
echo "clang-format: clean"
build_dir=${OMXML_BUILD_DIR:-build}
[ -f "$build_dir/compile_commands.json" ] || bash scripts/build.sh
files=$(ls platform/*.cpp reader/*.cpp dom/*.cpp factory/*.cpp suites/*.cpp backend/*.cpp)
# shellcheck disable=SC2086
printf '%s\n' $files | xargs -P "$(nproc)" -n 4 clang-tidy -p "$build_dir" --quiet 2>/dev/null
echo "clang-tidy: clean"
