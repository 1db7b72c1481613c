# SPDX-FileCopyrightText: 2026 МОРВ developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Read by CTest after the discovered tests: labels the checks of the shipped content "shipped".
foreach(test IN LISTS bank_tests_TESTS widget_tests_TESTS pack_tests_TESTS)
    if(test MATCHES "^(widget\\.)?ShippedBank\\." OR test STREQUAL "PackCommand.ShippedTestGivesNoWarning")
        set_tests_properties("${test}" PROPERTIES LABELS shipped)
    endif()
endforeach()
