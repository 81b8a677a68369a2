#!/usr/bin/env bash
# Builds a current libxml2 (2.15.3) from its source archive into the build
# directory, builds omxml against it with warnings as errors, and runs the
# tests and the conformance suites there.
#
#   OMXML_DEPS_DIR     where the archive is (default ../shared/deps)
#   OMXML_BUILD_DIR    build directory (default build-libxml2-current); libxml2
#                      is built and installed under its libxml2/ folder, once
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
version=2.15.3
deps=${OMXML_DEPS_DIR:-../shared/deps}
archive="$deps/libxml2-$version-src.tar.xz"
build=${OMXML_BUILD_DIR:-build-libxml2-current}
jobs=${OMXML_JOBS:-$(nproc)}
mkdir -p "$build/libxml2"
build=$(cd "$build" && pwd)
prefix="$build/libxml2/prefix"

if [ ! -f "$prefix/lib/pkgconfig/libxml-2.0.pc" ]; then
  [ -f "$archive" ] || {
    echo "missing $archive (set OMXML_DEPS_DIR)" >&2
    exit 1
  }
  if [ -f "$deps/SHA256SUMS" ]; then
    (cd "$deps" && grep " libxml2-$version-src.tar.xz\$" SHA256SUMS | sha256sum -c --quiet -)
  fi
  rm -rf "$build/libxml2/libxml2-$version" "$build/libxml2/build"
  archive=$(realpath "$archive")
  (cd "$build/libxml2" && cmake -E tar xf "$archive")
  cmake -S "$build/libxml2/libxml2-$version" -B "$build/libxml2/build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib -DLIBXML2_WITH_PYTHON=OFF -DLIBXML2_WITH_TESTS=OFF \
    -DLIBXML2_WITH_ZLIB=OFF -DLIBXML2_WITH_LZMA=OFF -DLIBXML2_WITH_PROGRAMS=OFF >/dev/null
  cmake --build "$build/libxml2/build" -j"$jobs" >/dev/null
  cmake --install "$build/libxml2/build" >/dev/null
fi

# shellcheck disable=SC2086
cmake -S . -B "$build" -DOMXML_WERROR=ON -DCMAKE_PREFIX_PATH="$prefix" ${OMXML_CMAKE_ARGS:-} >/dev/null
grep -q "LIBXML2_INCLUDE_DIR:PATH=$prefix/" "$build/CMakeCache.txt" || {
  echo "omxml was not configured against libxml2 $version in $prefix" >&2
  exit 1
}
cmake --build "$build" -j"$jobs"
# The back-end runs with the libxml2 it was built against, not the system's.
ldd "$build/backend/libomxml_backend.so" | grep -q "$prefix/lib/libxml2" || {
  echo "the back-end does not load libxml2 $version" >&2
  exit 1
}
ctest --test-dir "$build" --output-on-failure -j"$jobs" --timeout 300
"$build/tools/omxml" conformance
