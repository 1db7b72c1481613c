# SPDX-FileCopyrightText: 2026 МОРВ developers
# SPDX-License-Identifier: GPL-3.0-or-later
# What Explorer shows of a Windows program: its icon and version information, and the manifest that
# makes it DPI-aware with UTF-8 as its code page.
function(morv_windows_resources target description)
    set(MORV_RC_NAME ${target})
    set(MORV_RC_DESCRIPTION "${description}")
    set(MORV_RC_ICON ${PROJECT_SOURCE_DIR}/dist/windows/morv.ico)
    set(MORV_RC_VERSION ${PROJECT_VERSION}.0)
    string(REPLACE "." "," MORV_RC_COMMAS ${MORV_RC_VERSION})
    set(MORV_RC_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
    configure_file(${PROJECT_SOURCE_DIR}/dist/windows/morv.manifest ${MORV_RC_MANIFEST} @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/dist/windows/program.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
    target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
endfunction()
