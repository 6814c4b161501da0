# Cross build of the 32-bit Windows module (numo.dll) and the Windows stand-in host (numo.exe)
# with Debian's mingw-w64 i686 compilers.
#   cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(NUMO_MINGW_TRIPLE i686-w64-mingw32)
# The win32 thread model: with it, static libgcc and libstdc++ leave no runtime DLL to import
# (the posix model would pull in libwinpthread-1.dll, which the host does not have).
find_program(NUMO_MINGW_GCC NAMES ${NUMO_MINGW_TRIPLE}-gcc-win32 ${NUMO_MINGW_TRIPLE}-gcc REQUIRED)
find_program(NUMO_MINGW_GXX NAMES ${NUMO_MINGW_TRIPLE}-g++-win32 ${NUMO_MINGW_TRIPLE}-g++ REQUIRED)
set(CMAKE_C_COMPILER ${NUMO_MINGW_GCC})
set(CMAKE_CXX_COMPILER ${NUMO_MINGW_GXX})
set(CMAKE_RC_COMPILER ${NUMO_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${NUMO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Doubles as on every other build: each intermediate result rounded to 64 bits in SSE2
# registers, not kept at 80 bits on the x87 stack.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
# The host process has no mingw runtime DLLs: link libgcc and libstdc++ into each binary.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

find_program(NUMO_WINE wine)
if(NUMO_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${NUMO_WINE})
endif()
