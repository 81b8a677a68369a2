# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (posix threads,
# for std::thread and std::mutex); programs built here run under Wine.
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# Dependencies built for Windows are found under CMAKE_PREFIX_PATH.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(OMXML_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${OMXML_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${OMXML_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${OMXML_MINGW_TRIPLET}-windres)

# Headers, libraries and packages come from the MinGW tree and the roots
# given by -DCMAKE_FIND_ROOT_PATH=...; programs from the build machine.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${OMXML_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests and test discovery run the Windows programs through Wine.
find_program(OMXML_WINE NAMES wine wine64)
if(OMXML_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${OMXML_WINE})
endif()
