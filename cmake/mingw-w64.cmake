# Cross build for Windows with MinGW-w64 (Debian's g++-mingw-w64-*-posix compilers).
# TCPMOD_MINGW_ARCH selects the target: i686 (32-bit, what users get) or x86_64.
# Everything is linked statically, so each .exe runs on a plain Windows with only
# system DLLs beside it.
set(CMAKE_SYSTEM_NAME Windows)

if(NOT TCPMOD_MINGW_ARCH)
    set(TCPMOD_MINGW_ARCH i686)
endif()
set(TCPMOD_MINGW_ARCH ${TCPMOD_MINGW_ARCH} CACHE STRING "i686 or x86_64")
# try_compile projects read this file again and need the same choice.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TCPMOD_MINGW_ARCH)

set(CMAKE_SYSTEM_PROCESSOR ${TCPMOD_MINGW_ARCH})
set(triple ${TCPMOD_MINGW_ARCH}-w64-mingw32)
# The posix thread model: the simulator uses std::thread.
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and winpthread inside each binary, no MinGW DLLs to ship.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
# What users get carries no symbol tables.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
set(CMAKE_SHARED_LINKER_FLAGS_RELEASE_INIT "-s")
