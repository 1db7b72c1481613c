# SPDX-FileCopyrightText: 2026 МОРВ developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from a finished build tree and reads it back: the files a desktop needs,
# the fields apt needs, the documents Debian wants (copyright, changelog, a manual page per program),
# and the installed tree as a software centre sees it.
#   cmake -DCPACK=... -DCPACK_CONFIG=... -DWORK_DIR=... -DEXPECTED_VERSION=... -DAPP_ID=...
#         -DPROGRAMS=prog1,prog2 -DAPPSTREAMCLI=... -P CheckPackage.cmake
foreach(var CPACK CPACK_CONFIG WORK_DIR EXPECTED_VERSION APP_ID PROGRAMS APPSTREAMCLI)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "CheckPackage.cmake needs -D${var}=...")
    endif()
endforeach()

set(problems "")
macro(problem text)
    string(APPEND problems "  ${text}\n")
endmacro()

function(run out)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE stdout ERROR_VARIABLE stderr)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${ARGN} failed (${rc}):\n${stdout}${stderr}")
    endif()
    set(${out} "${stdout}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})

run(arch dpkg --print-architecture)
string(STRIP "${arch}" arch)
run(cpack_log ${CPACK} --config ${CPACK_CONFIG} -B ${WORK_DIR})

set(deb ${WORK_DIR}/morv_${EXPECTED_VERSION}_${arch}.deb)
if(NOT EXISTS ${deb})
    file(GLOB made ${WORK_DIR}/*.deb)
    message(FATAL_ERROR "expected ${deb}, cpack made: ${made}\n${cpack_log}")
endif()
file(SIZE ${deb} size)
message(STATUS "${deb}: ${size} bytes")

# Contents: every path with its mode, as the archive stores them.
run(listing dpkg-deb -c ${deb})
message(STATUS "contents:\n${listing}")
string(REPLACE "," ";" programs "${PROGRAMS}")
set(program_paths "")
foreach(program IN LISTS programs)
    list(APPEND program_paths ./usr/bin/${program})
    # Every program has its manual page, in whichever section suits it.
    if(NOT listing MATCHES " \\./usr/share/man/man[1-8]/${program}\\.[1-8]\\.gz\n")
        problem("no manual page usr/share/man/man?/${program}.?.gz")
    endif()
    if(NOT listing MATCHES "-rwxr-xr-x root/root [^\n]* \\./usr/bin/${program}\n")
        problem("usr/bin/${program} is not an executable owned by root")
    endif()
endforeach()
foreach(path
        ${program_paths}
        ./usr/share/doc/morv/copyright
        ./usr/share/doc/morv/changelog.Debian.gz
        ./usr/share/applications/${APP_ID}.desktop
        ./usr/share/applications/${APP_ID}.pack.desktop
        ./usr/share/metainfo/${APP_ID}.metainfo.xml
        ./usr/share/icons/hicolor/16x16/apps/morv.png
        ./usr/share/icons/hicolor/32x32/apps/morv.png
        ./usr/share/icons/hicolor/48x48/apps/morv.png
        ./usr/share/icons/hicolor/128x128/apps/morv.png
        ./usr/share/icons/hicolor/256x256/apps/morv.png
        ./usr/share/icons/hicolor/scalable/apps/morv.svg)
    string(REPLACE "." "\\." pattern "${path}")
    if(NOT listing MATCHES " ${pattern}\n")
        problem("missing ${path}")
    endif()
endforeach()
# Nothing of the build (libraries, headers, tests) may come along.
string(REPLACE ";" "|" program_names "${programs}")
string(REGEX MATCHALL " \\./[^\n]*[^/]\n" files "${listing}")
foreach(line IN LISTS files)
    if(NOT line MATCHES "\\./usr/(bin/(${program_names})|share/(applications|metainfo|icons/hicolor|man/man[1-8]|doc/morv|lintian/overrides)/)")
        string(STRIP "${line}" line)
        problem("unexpected file ${line}")
    endif()
endforeach()

# Control fields.
run(fields dpkg-deb -f ${deb})
message(STATUS "control:\n${fields}")
foreach(expected "Package: morv" "Version: ${EXPECTED_VERSION}" "Architecture: ${arch}" "Section: education")
    string(FIND "${fields}" "${expected}\n" at)
    if(at EQUAL -1)
        problem("control lacks \"${expected}\"")
    endif()
endforeach()
if(NOT fields MATCHES "\nMaintainer: [^\n]+<[^\n]+@[^\n]+>\n")
    problem("control lacks a maintainer with an address")
endif()
if(NOT fields MATCHES "\nDescription: [^\n]+\n [^\n]+")
    problem("control lacks a description with a long text")
endif()
if(fields MATCHES "\nDepends: ([^\n]*)\n")
    set(depends "${CMAKE_MATCH_1}")
    # libqt6widgets6 comes from the binary's own links, the fonts from the package settings.
    foreach(needed libqt6widgets6 libqt6gui6 libc6 fonts-liberation2 fonts-dejavu-core)
        if(NOT depends MATCHES "(^|, )${needed}( |,|$)")
            problem("Depends lacks ${needed}: ${depends}")
        endif()
    endforeach()
else()
    problem("control has no Depends line")
endif()

file(MAKE_DIRECTORY ${WORK_DIR}/root)
run(ignored dpkg-deb -x ${deb} ${WORK_DIR}/root)

# Compressed documents as dh_compress makes them: gzip without the file's name or time stamp
# (header flags 00, time 00000000), so that the same tree always gives the same package.
file(GLOB_RECURSE gzipped ${WORK_DIR}/root/*.gz)
foreach(gz IN LISTS gzipped)
    file(READ ${gz} header LIMIT 8 HEX)
    if(NOT header MATCHES "^1f8b0800........$" OR NOT header MATCHES "00000000$")
        file(RELATIVE_PATH shown ${WORK_DIR}/root ${gz})
        problem("${shown} is not compressed with gzip -n (header ${header})")
    endif()
endforeach()

# The copyright is machine-readable, and the changelog's top entry is this very version.
set(doc ${WORK_DIR}/root/usr/share/doc/morv)
if(EXISTS ${doc}/copyright)
    file(STRINGS ${doc}/copyright format LIMIT_COUNT 1)
    if(NOT format STREQUAL "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/")
        problem("copyright is not in the machine-readable format: ${format}")
    endif()
endif()
if(EXISTS ${doc}/changelog.Debian.gz)
    run(changelog gzip -dc ${doc}/changelog.Debian.gz)
    if(NOT changelog MATCHES "^morv \\(([^)]+)\\) [a-z-]+; urgency=[a-z]+\n")
        problem("changelog.Debian does not start with a Debian changelog entry")
    elseif(NOT CMAKE_MATCH_1 STREQUAL EXPECTED_VERSION)
        problem("changelog.Debian's top entry is ${CMAKE_MATCH_1}, the package ${EXPECTED_VERSION}")
    endif()
endif()

# The unpacked tree as a software centre reads it: metainfo, desktop entry and icons together.
execute_process(COMMAND ${APPSTREAMCLI} validate-tree --no-net ${WORK_DIR}/root
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR "${out}${err}" MATCHES "(^|\n)[EW]: ")
    problem("appstreamcli validate-tree refuses the installed tree:\n${out}${err}")
endif()

if(problems)
    message(FATAL_ERROR "the package ${deb} is incomplete:\n${problems}")
endif()
message(STATUS "package complete")
