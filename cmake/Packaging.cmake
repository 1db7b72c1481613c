# SPDX-FileCopyrightText: 2026 МОРВ developers
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package: `cmake --build <dir> --target package` makes morv_<version>_<arch>.deb, which
# `apt install ./morv_*.deb` installs with what it needs. What goes in is dist/CMakeLists.txt's
# install rules: the program, its menu entry, its metainfo, its icons, its manual page, the copyright
# and the changelog. dist.lintian_clean holds it to Debian's checker.
set(CPACK_PACKAGE_NAME morv)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
if(WIN32)
    # Windows: morv-windows-VERSION.zip with the two programs, the licence and ЧЕТИ-МЕ.txt at its top,
    # to unpack anywhere (dist/windows/CMakeLists.txt says what goes in).
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME morv-windows-${PROJECT_VERSION})
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
    set(CPACK_STRIP_FILES ON)
    include(CPack)
    return()
endif()
set(CPACK_GENERATOR DEB)
# The Debian revision: the package is built from this tree, so a changelog.Debian belongs to it; the
# top entry of dist/debian/changelog carries the same version, and the package check compares them.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(MORV_DEBIAN_VERSION ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
set(CPACK_PACKAGE_VENDOR "МОРВ")
set(CPACK_PACKAGE_CONTACT "MORV maintainers <morv@example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://morv.example.org")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "multiple-choice test for a school class, in Bulgarian")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The build keeps debug information for the developers; the classroom machines get a small binary
# (dist/CMakeLists.txt also drops the .comment and .note sections when stripping).
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
# The libraries come from the binary's own links; the font is what the window's "Times New Roman"
# resolves to with the same metrics, so the fixed layout keeps its line breaks, and the window's
# fallback for the superscripts and subscripts that font lacks.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, fonts-dejavu-core")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# CPack puts the summary above this long text itself; lines stay under 80 characters.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "МОРВ gives one multiple-choice test, in Bulgarian, in a single window.
Every question offers two to five answers, exactly one of them right. At
every start the order of the questions is drawn from a few fixed strides
through the test, and the order of the answers of every question is
shuffled. A progress strip shows how far the pupil is; grading shows the
number of right answers and the percentage, then the first question of the
order with the chosen answer in red or green and its worked explanation.
An optional check asks the first question of the test twice, at two places
in the order, and tells whether it was answered the same way both times.
.
The questions, pictures and switches are inside the program; it needs no
network and no files, and starts quickly on old computers. This package
carries a geometry test on the angles of a triangle, and morv-pack, which
turns a teacher's questions (a Moodle XML, GIFT or Aiken file) into a test
program of its own without a compiler.")

include(CPack)
