#!/usr/bin/env bash
# The exported symbols of the three shared libraries, compared with the lists
# committed in scripts/abi/: a change of the public binary interface is made
# on purpose, in a commit, never by accident.
#
#   bash scripts/abi.sh            # compare the build in build/ (or OMXML_BUILD_DIR) with the lists
#   bash scripts/abi.sh --update   # write the lists from that build, to commit with the change
#
# The lists hold demangled names, one a line, sorted. Instantiations of the
# standard library that the compiler emits as weak symbols are left out: which
# of them appear depends on inlining, not on the interface. The lists are made
# with g++; other compilers' builds are not compared.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${OMXML_BUILD_DIR:-build}
lists=scripts/abi

compiler=$(sed -n 's/^set(CMAKE_CXX_COMPILER_ID "\(.*\)")$/\1/p' "$build_dir"/CMakeFiles/*/CMakeCXXCompiler.cmake 2>/dev/null | head -n1)
if [ "$compiler" != GNU ]; then
  echo "abi: $build_dir is not a g++ build; not compared"
  exit 0
fi

exported() {
  nm -D --defined-only "$1" | awk '{print $NF}' |
    grep -v -E '^_ZZ?(N|NK|TI|TS|TV|TT)?(St|Sa|Ss|9__gnu_cxx)' | c++filt | LC_ALL=C sort -u
}

status=0
for lib in omxml_platform omxml omxml_backend; do
  so=$(find "$build_dir" -name "lib$lib.so" -print -quit)
  if [ -z "$so" ]; then
    echo "abi: lib$lib.so not found under $build_dir" >&2
    exit 2
  fi
  if [ "${1:-}" = --update ]; then
    exported "$so" >"$lists/lib$lib.txt"
    echo "abi: wrote $lists/lib$lib.txt ($(wc -l <"$lists/lib$lib.txt") symbols)"
  elif ! diff -u "$lists/lib$lib.txt" <(exported "$so") >"$build_dir/abi-lib$lib.diff"; then
    echo "abi: the exported symbols of lib$lib.so differ from $lists/lib$lib.txt (- committed, + built):"
    cat "$build_dir/abi-lib$lib.diff"
    status=1
  fi
done
if [ $status -ne 0 ]; then
  echo "abi: if the change is meant, run 'bash scripts/abi.sh --update' and commit the lists"
elif [ "${1:-}" != --update ]; then
  echo "abi: exported symbols as committed"
fi
exit $status
