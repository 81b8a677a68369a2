#!/usr/bin/env bash
# Builds the library, the tool and the tests with clang and libc++ (the C++
# library of macOS and of some Linux distributions), GoogleTest included, and
# runs every test and the conformance suites.
#
#   OMXML_BUILD_DIR  build directory (default build-libcxx); GoogleTest is
#                    built from Debian's sources under its googletest/ folder, once
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/apt.sh clang libc++-dev libc++abi-dev googletest

build=${OMXML_BUILD_DIR:-build-libcxx}
jobs=${OMXML_JOBS:-$(nproc)}
mkdir -p "$build"
build=$(cd "$build" && pwd)
libcxx=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS=-stdlib=libc++
  -DCMAKE_EXE_LINKER_FLAGS=-stdlib=libc++ -DCMAKE_SHARED_LINKER_FLAGS=-stdlib=libc++)

# GoogleTest's libraries hold C++ types, so they must be built with the same library.
gtest="$build/googletest"
if [ ! -f "$gtest/prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
  cmake -S /usr/src/googletest -B "$gtest/build" "${libcxx[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$gtest/prefix" -DCMAKE_INSTALL_LIBDIR=lib >/dev/null
  cmake --build "$gtest/build" -j"$jobs" >/dev/null
  cmake --install "$gtest/build" >/dev/null
fi

cmake -S . -B "$build" "${libcxx[@]}" -DOMXML_WERROR=ON -DCMAKE_PREFIX_PATH="$gtest/prefix" \
  -DGTest_DIR="$gtest/prefix/lib/cmake/GTest" >/dev/null
cmake --build "$build" -j"$jobs"
# Every program and library of the project uses libc++, none libstdc++.
for binary in "$build"/tools/omxml "$build"/tests/omxml_*_tests "$build"/libomxml.so \
  "$build"/platform/libomxml_platform.so "$build"/backend/libomxml_backend.so; do
  needed=$(readelf -d "$binary" | grep NEEDED)
  if ! grep -q "libc++" <<<"$needed" || grep -q "libstdc++" <<<"$needed"; then
    echo "$binary is not linked with libc++ alone" >&2
    exit 1
  fi
done
ctest --test-dir "$build" --output-on-failure -j"$jobs" --timeout 300
"$build/tools/omxml" conformance
