# Cross build for 64-bit Windows with Debian's mingw-w64, posix-thread variant
# (the win32-thread one lacks std::mutex, which GoogleTest needs).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(DISKLENS_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${DISKLENS_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DISKLENS_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${DISKLENS_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${DISKLENS_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Self-contained executables: the C++ and GCC run-times and winpthreads linked
# in, so that only KERNEL32 and msvcrt are imported.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
