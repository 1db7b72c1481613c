// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the whole test as one Moodle XML file: the teacher's own file, which МОРВ reads back exactly
// and Moodle imports as the same questions.
#pragma once

#include "bank/testdocument.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace morv {

// The test as Moodle XML: first a category whose description carries the title and switches, then
// every question in order as multiple choice with one right answer (fraction 100, the others 0), its
// explanation as general feedback and its picture as a base64 file shown in the question's text. Any
// test can be written, a draft with problems too.
QByteArray moodleXml(const TestDocument &document);

// Why the teacher's file may not be written at `file`, or nothing: a new file, or one that is a Moodle
// XML file МОРВ wrote (told by its marked category), never through a link and never over the source;
// so never over a file the source names, a program or anything else of the teacher's.
QList<Problem> xmlFileProblems(const QString &file, const QString &sourceFile = {});
// Writes the test as Moodle XML at `file` when it passes the check above, complete or not at all
// (QSaveFile). No problem when written.
QList<Problem> writeMoodleXml(const QString &file, const TestDocument &document,
                              const QString &sourceFile = {});

} // namespace morv
