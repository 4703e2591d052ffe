# Cross build for 64-bit Windows with Debian's mingw-w64 GCC.
#
# The posix flavour of the compiler, because the win32 flavour of GCC 12 has no std::thread or
# std::mutex. Everything is linked statically (libgcc, libstdc++, winpthreads), so the
# executables need no DLLs beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ROMTOOL_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ROMTOOL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ROMTOOL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ROMTOOL_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ROMTOOL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest runs the test executables through Wine; nothing is run at build time.
find_program(ROMTOOL_WINE NAMES wine)
if(ROMTOOL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${ROMTOOL_WINE})
endif()
