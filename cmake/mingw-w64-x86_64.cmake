# Cross build for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64).
# The posix-threads variant of the compiler is the one whose libstdc++ has std::thread and
# std::mutex; the programs are linked statically so they run on a bare Windows (or Wine)
# without the compiler's DLLs beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VORN_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VORN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VORN_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VORN_MINGW_PREFIX})
# Programs (code generators, python) come from the build machine; headers, libraries and
# packages only from the Windows sysroot, so no Linux library is ever picked up.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

# Test programs run through Wine when it is installed (CTest and test discovery use this).
find_program(VORN_WINE NAMES wine64 wine)
if(VORN_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VORN_WINE})
endif()
