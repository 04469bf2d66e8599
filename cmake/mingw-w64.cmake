# Cross build for 64-bit Windows with Debian's mingw-w64 (the POSIX thread
# model, which std::thread needs):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
#   cmake --build build-win
# builds the core, tavemo-cli.exe and the core tests, without Qt. Every
# program is linked statically, so it runs from a bare folder (and under
# wine without the compiler's DLLs).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TAVEMO_MINGW_PREFIX x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${TAVEMO_MINGW_PREFIX}-gcc-posix ${TAVEMO_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${TAVEMO_MINGW_PREFIX}-g++-posix ${TAVEMO_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${TAVEMO_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TAVEMO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# The user interface needs Qt built for Windows; benchmarks need Google
# Benchmark built for it. Neither is part of this build.
set(TAVEMO_BUILD_UI OFF CACHE BOOL "" FORCE)
set(TAVEMO_BUILD_BENCH OFF CACHE BOOL "" FORCE)

# Programs of this build run under wine where the build needs to run one.
find_program(TAVEMO_WINE NAMES wine)
if(TAVEMO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TAVEMO_WINE})
endif()
