// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A test started as the pupils will get it: written under a new temporary name and started on its own.
#pragma once

#include "bank/source.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace morv {

// A program written under a new temporary name and started, as --preview does.
struct PreviewProgram
{
    QString program;         // the name it was written under
    QList<Problem> problems; // none when written and started
};

// Starts a program on its own: the caller gets back its terminal, and the program none of its output.
// The environment variables named in `dropEnvironment` (a platform the caller chose only for itself,
// offscreen for measuring) are not passed on.
bool startPreview(const QString &program, const QStringList &dropEnvironment = {});
// Writes `program` with the payload under a new temporary name and starts it so.
PreviewProgram writeAndStartPreview(const QString &program, const QByteArray &payload,
                                    const QStringList &dropEnvironment = {});

} // namespace morv
