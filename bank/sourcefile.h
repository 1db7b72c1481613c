// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Reads a file that a bank source names, such as a figure, safely: only a regular file inside the
// source's folder, links resolved, and never more than a given size.
#pragma once

#include <QByteArray>
#include <QString>

namespace morv {

struct SourceFile
{
    QByteArray bytes;
    QString problem; // empty when the file was read; otherwise why not, in the teacher's words
};

// Reads `name`, a path relative to `folder`. Refused, with the reason: a path leading outside the
// folder (also through a symbolic link), a file that is missing or unreadable, anything but a regular
// file (a folder, device, FIFO or socket), and a file larger than maxBytes.
SourceFile readSourceFile(const QString &folder, const QString &name, qint64 maxBytes);

} // namespace morv
