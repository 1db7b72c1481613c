# SPDX-FileCopyrightText: 2026 МОРВ developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs lintian on the package that dist.debian_package_is_complete built, showing every tag down to the
# pedantic ones, and fails on any tag that is not overridden in the package's lintian-overrides.
# (--show-overrides is left out: with it this lintian counts the overridden tags as failures.)
#   cmake -DLINTIAN=... -DWORK_DIR=... -P CheckLintian.cmake
foreach(var LINTIAN WORK_DIR)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "CheckLintian.cmake needs -D${var}=...")
    endif()
endforeach()

file(GLOB debs ${WORK_DIR}/*.deb)
list(LENGTH debs count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one package in ${WORK_DIR}, found: ${debs}")
endif()

execute_process(
    COMMAND ${LINTIAN} --info --display-info --pedantic --fail-on error,warning,info,pedantic ${debs}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
message(STATUS "lintian ${debs}:\n${out}${err}")
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "lintian reports tags that are neither fixed nor overridden (exit ${rc})")
endif()
message(STATUS "lintian clean")
