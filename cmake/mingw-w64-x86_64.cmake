# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-building the Windows edition on Debian with MinGW-w64 (the posix
# thread model, which std::thread and std::mutex need). Libraries built for
# the target (libcurl, libcrypto, GoogleTest) are found through
# TUNEWELL_WINDOWS_PREFIXES, a list of install folders; nothing is ever
# taken from the build machine's own /usr.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TUNEWELL_MINGW_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${TUNEWELL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TUNEWELL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TUNEWELL_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${TUNEWELL_MINGW_TRIPLET}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${TUNEWELL_MINGW_TRIPLET}-gcc-ranlib-posix CACHE FILEPATH "")

# Try-compile projects get the prefixes too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TUNEWELL_WINDOWS_PREFIXES)
set(CMAKE_FIND_ROOT_PATH /usr/${TUNEWELL_MINGW_TRIPLET} ${TUNEWELL_WINDOWS_PREFIXES})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C++ runtime is linked in, so a program runs without MinGW's DLLs
# beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
