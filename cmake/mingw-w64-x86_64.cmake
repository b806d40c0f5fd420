# Cross-building the Windows program with mingw-w64 (Debian: g++-mingw-w64-x86-64).
# The win32 thread model is enough: the program has one thread and needs no std::thread,
# and it keeps libwinpthread out of the static .exe.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(RUVIA_MINGW_PREFIX x86_64-w64-mingw32)
find_program(CMAKE_CXX_COMPILER NAMES ${RUVIA_MINGW_PREFIX}-g++-win32 ${RUVIA_MINGW_PREFIX}-g++
             REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${RUVIA_MINGW_PREFIX}-gcc-win32 ${RUVIA_MINGW_PREFIX}-gcc)
find_program(CMAKE_RC_COMPILER NAMES ${RUVIA_MINGW_PREFIX}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${RUVIA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained .exe: the C and C++ runtimes are linked in, not shipped as DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
