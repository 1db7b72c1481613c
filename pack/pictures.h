// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Turns an imported picture into a JPEG that fits the program's picture box, one or a test's.
#pragma once

#include "bank/testdocument.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace morv {

struct ConvertedPicture
{
    QByteArray jpeg;
    QString problem; // empty when converted; otherwise why not, in the teacher's words
};

// JPEG, PNG or GIF in. A JPEG that fits the box as it is stored, within the bank's size, is kept byte
// for byte; anything else is scaled down to fit, keeping its proportions (never up), laid on white and
// written as JPEG. The decoder's warnings count as problems; they are caught through Qt's message
// handler, so this is not for several threads at once.
ConvertedPicture toFittingJpeg(const QByteArray &bytes);

// Every question begun, with its picture as the test would show it, for a source that cannot be packed
// yet: a picture that cannot be converted is already a problem of its own.
std::vector<TestQuestion> withShownPictures(std::vector<TestQuestion> questions);
// Pictures of an imported test become JPEGs that fit the picture box, named by their question
// (pictures/q01.jpg); one that cannot be converted is a problem of its question, numbered as the
// source numbers it (`numbers`, from 1, one for each question of the document).
void convertPictures(TestDocument &document, QList<Problem> &problems, const std::vector<int> &numbers);

} // namespace morv
