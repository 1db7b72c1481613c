# SPDX-FileCopyrightText: 2026 МОРВ developers
# SPDX-License-Identifier: GPL-3.0-or-later
# The program's Windows build: the MinGW-w64 toolchain that Qt was built with, and that Qt's place
# (MORV_QT_WINDOWS, set by script/build-windows), searched like the MinGW libraries.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake)
if(NOT MORV_QT_WINDOWS)
    set(MORV_QT_WINDOWS "$ENV{MORV_QT_WINDOWS}")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MORV_QT_WINDOWS)
if(MORV_QT_WINDOWS)
    list(APPEND CMAKE_FIND_ROOT_PATH ${MORV_QT_WINDOWS})
    set(CMAKE_PREFIX_PATH ${MORV_QT_WINDOWS})
endif()
# moc, rcc and the other build tools are the Debian system's own, of the same Qt version.
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
