# SPDX-FileCopyrightText: 2026 МОРВ developers
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package: `cmake --build <dir> --target package` makes morv_<version>_<arch>.deb, which
# `apt install ./morv_*.deb` installs with what it needs. What goes in is dist/CMakeLists.txt's
# install rules: the program, its menu entry, its metainfo and its icons.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME morv)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "МОРВ")
set(CPACK_PACKAGE_CONTACT "MORV maintainers <morv@example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://morv.example.org")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "multiple-choice test for a school class, in Bulgarian")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The build keeps debug information for the developers; the classroom machines get a small binary.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
# The libraries come from the binary's own links; the font is what the window's "Times New Roman"
# resolves to with the same metrics, so the fixed layout keeps its line breaks.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# CPack puts the summary above this long text itself.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "МОРВ gives one multiple-choice test in a single window: every
question offers two to five answers, exactly one of them right, and questions and answers are
shuffled at every start. A progress strip shows how far the pupil is; grading shows the score
and the percentage, then every question again with the chosen answer in red or green and its
explanation. The questions, pictures and switches are built into the program; it needs no
network and no files, and starts quickly on old computers.")

include(CPack)
