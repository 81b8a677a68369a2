#!/usr/bin/env bash
# The Windows build: cross-compiles libxml2, GoogleTest and omxml with
# MinGW-w64 (cmake/mingw-w64-x86_64.cmake), then runs every test and
# 'omxml.exe conformance' under Wine. The dependencies are built once into
# OMXML_BUILD_DIR/deps (default build-windows) and reused while their
# sources stay the same.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build_dir=${OMXML_BUILD_DIR:-build-windows}
mkdir -p "$build_dir"
build_dir=$(cd "$build_dir" && pwd)
deps=$build_dir/deps
prefix=$deps/prefix
toolchain=$root/cmake/mingw-w64-x86_64.cmake
libxml2_archive=${OMXML_LIBXML2_ARCHIVE:-$root/../shared/deps/libxml2-2.15.3-src.tar.xz}
jobs=$(nproc)

bash "$root/scripts/apt.sh" cmake make g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix wine wine64 googletest \
  libcli11-dev xz-utils

# Builds one dependency with the toolchain into the prefix, unless the same
# sources were built there before (a stamp holds their fingerprint).
build_dep() {
  local name=$1 source=$2 fingerprint=$3
  shift 3
  local stamp=$deps/$name.stamp
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$fingerprint" ]; then
    return
  fi
  echo "-- building $name for Windows"
  rm -rf "$deps/$name-build"
  cmake -S "$source" -B "$deps/$name-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" "$@" >/dev/null
  cmake --build "$deps/$name-build" -j"$jobs" >/dev/null
  cmake --install "$deps/$name-build" >/dev/null
  echo "$fingerprint" >"$stamp"
}

mkdir -p "$deps"
libxml2_sum=$(sha256sum "$libxml2_archive" | cut -d' ' -f1)
if [ ! -f "$deps/libxml2.stamp" ] || [ "$(cat "$deps/libxml2.stamp")" != "$libxml2_sum" ]; then
  rm -rf "$deps/libxml2-src"
  mkdir -p "$deps/libxml2-src"
  tar -xJf "$libxml2_archive" -C "$deps/libxml2-src" --strip-components=1
fi
build_dep libxml2 "$deps/libxml2-src" "$libxml2_sum" \
  -DBUILD_SHARED_LIBS=ON -DLIBXML2_WITH_ICONV=OFF -DLIBXML2_WITH_PYTHON=OFF -DLIBXML2_WITH_TESTS=OFF \
  -DLIBXML2_WITH_ZLIB=OFF -DLIBXML2_WITH_PROGRAMS=OFF
gtest_version=$(dpkg-query -W -f='${Version}' googletest)
build_dep googletest /usr/src/googletest "$gtest_version" -DBUILD_SHARED_LIBS=OFF -Dgtest_disable_pthreads=OFF
# CLI11 is headers only; its package configuration finds them relative to itself.
mkdir -p "$prefix/include" "$prefix/share/cmake"
cp -r /usr/include/CLI "$prefix/include/"
cp -r /usr/share/cmake/CLI11 "$prefix/share/cmake/"

# Every program and library in one folder, with the compiler's run-time
# libraries and libxml2 beside them, so Windows finds them all.
bin=$build_dir/bin
mkdir -p "$bin"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
  cp -u "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)" "$bin/"
done
cp -u "$prefix"/bin/*.dll "$bin/"

export WINEPREFIX=$build_dir/wine
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "-- preparing the Wine prefix"
  wineboot --init >/dev/null 2>&1 || true
fi
wineserver -p 2>/dev/null || true

echo "-- building omxml for Windows"
# shellcheck disable=SC2086
cmake -S . -B "$build_dir" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_FIND_ROOT_PATH="$prefix" -DCMAKE_RUNTIME_OUTPUT_DIRECTORY="$bin" \
  -DOMXML_WERROR=ON ${OMXML_CMAKE_ARGS:-} >/dev/null
cmake --build "$build_dir" -j"$jobs"

echo "-- tests under Wine"
status=0
ctest --test-dir "$build_dir" --output-on-failure -j"$jobs" --timeout 300 || status=1
echo "-- omxml.exe conformance under Wine"
conformance_dir=$build_dir/conformance
rm -rf "$conformance_dir"
mkdir -p "$conformance_dir"
(cd "$conformance_dir" && wine "$bin/omxml.exe" conformance) || status=1
wineserver -k 2>/dev/null || true
exit $status
