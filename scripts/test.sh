#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
build_dir=${OMXML_BUILD_DIR:-build}
ctest --test-dir "$build_dir" --output-on-failure -j"$(nproc)" --timeout 300
