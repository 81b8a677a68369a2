#!/usr/bin/env bash
# The main job: installs what is missing, builds, and runs every conformance
# suite against the libxml2 document back-end.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
build_dir=${OMXML_BUILD_DIR:-build}
tool="$build_dir/tools/omxml"
"$tool" --version
if "$tool" conformance --help >/dev/null 2>&1; then
  "$tool" conformance "$@"
else
  "$tool" --help
fi
