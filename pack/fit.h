// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What a pupil would not see whole: a test's texts and pictures measured against the program's window.
#pragma once

#include "bank/testdocument.h"

namespace morv {

// Every text or picture of the test that the window does not show whole, as warnings at their
// questions' lines, measured with the window's own font and boxes.
QList<Problem> fitWarnings(const TestDocument &document);

} // namespace morv
