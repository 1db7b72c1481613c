# SPDX-FileCopyrightText: 2026 МОРВ developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (the POSIX-threads compilers, which
# std::thread needs). Used for Qt itself and for the program, so both agree on every flag.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MORV_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MORV_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MORV_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${MORV_MINGW}-windres)
set(CMAKE_AR ${MORV_MINGW}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${MORV_MINGW}-gcc-ranlib-posix CACHE FILEPATH "")
set(CMAKE_FIND_ROOT_PATH /usr/${MORV_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Tools built for Windows (the bank check) run on the build machine through Wine.
find_program(MORV_WINE wine)
if(MORV_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${MORV_WINE})
endif()
