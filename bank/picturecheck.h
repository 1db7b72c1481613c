// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Checks that a figure is a JPEG the program can show.
#pragma once

#include <QByteArray>
#include <QString>

namespace morv {

// Reads only the JPEG header: cheap enough for every start.
QString jpegHeaderProblem(const QByteArray &jpeg);
// Decodes the whole image: for the build-time check.
QString jpegDecodeProblem(const QByteArray &jpeg);

} // namespace morv
