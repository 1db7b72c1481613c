// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Turns an imported picture into a JPEG that fits the program's picture box.
#pragma once

#include <QByteArray>
#include <QString>

namespace morv {

struct ConvertedPicture
{
    QByteArray jpeg;
    QString problem; // empty when converted; otherwise why not, in the teacher's words
};

// JPEG, PNG or GIF in. A JPEG that fits the box as it is stored, within the bank's size, is kept byte
// for byte; anything else is scaled down to fit, keeping its proportions (never up), laid on white and
// written as JPEG. The decoder's warnings count as problems; they are caught through Qt's message handler, so
// this is not for several threads at once.
ConvertedPicture toFittingJpeg(const QByteArray &bytes);

} // namespace morv
