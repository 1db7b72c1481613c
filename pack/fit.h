// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What a pupil would not see whole: a test's texts and pictures measured against the program's window,
// one question at a time, so that an editor measures only the question being typed.
#pragma once

#include "bank/testdocument.h"

#include <QList>

namespace morv {

struct QuestionFit
{
    QList<Problem> warnings;
    // Where the box stops showing the question's text (see TextFit::shownLength), and each answer's.
    qsizetype textShown = 0;
    QList<qsizetype> answersShown;
};

// The index-th question (from 0) measured against the window.
QuestionFit measureQuestion(const QuestionSource &question, std::size_t index);
// Every text or picture of the test that the window does not show whole, as warnings at their
// questions' lines, measured with the window's own font and boxes.
QList<Problem> fitWarnings(const TestDocument &document);

} // namespace morv
