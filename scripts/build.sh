#!/usr/bin/env bash
# Configures and builds omxml. OMXML_BUILD_DIR (default build) and
# OMXML_CMAKE_ARGS (extra configure arguments) adjust it.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${OMXML_BUILD_DIR:-build}
# shellcheck disable=SC2086
cmake -S . -B "$build_dir" ${OMXML_CMAKE_ARGS:-} >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
