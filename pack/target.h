// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Where morv-pack may write a file: the rules every file it writes shares, whatever the file is.
#pragma once

#include "bank/source.h"

#include <QList>
#include <QString>

namespace morv {

// A problem of writing: the program, the folder or the file cannot be written there, or the test
// cannot be started.
Problem notWritten(const QString &text);

// A file to write at a path: never through a link, only into a folder that exists, only over a regular
// file. What may be replaced is each writer's own rule, asked only when the file exists.
struct FileTarget
{
    QList<Problem> problems;
    bool exists = false;
};
FileTarget fileTarget(const QString &path);

} // namespace morv
