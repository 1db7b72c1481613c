// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Where a test may be written and the writing: the program (the base program's own bytes, marked, and
// the payload) and the bank.json folder. Nothing of the teacher's is ever replaced.
#pragma once

#include "bank/payload.h"
#include "bank/source.h"
#include "pack/target.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace morv {

// The program morv that a test is appended to: the one in `besideFolder` (the packer's own folder),
// else the one on the PATH.
QString defaultProgram(const QString &besideFolder);

// The program to copy, as the build made it, or why it cannot be copied.
struct BaseProgram
{
    QByteArray code;
    QList<Problem> problems;
};
// Only the program itself, recognised by the mark its build puts in it, within its size limit.
BaseProgram readBaseProgram(const QString &path);
// Why a program may not be written at `output`: never through a link, never over anything but a
// program morv-pack wrote before (so never over the source, a file it names, the program copied or the
// packer itself, `packer`). No problem when it may.
QList<Problem> outputProblems(const QString &output, const QString &sourceFile, const QString &program,
                              const QString &packer = {});
// Why the bank cannot be written into `folder`: only a new or empty folder, never through a link, so
// that no file of the teacher's is replaced. No problem when it can.
QList<Problem> jsonFolderProblems(const QString &folder);

// Writes the program, when program and output pass the checks above: the base program's own bytes,
// marked, and the payload, under a temporary name renamed when complete, executable. No problem when
// written.
QList<Problem> writeProgram(const QString &program, const QString &output, const QByteArray &payload,
                            const QString &sourceFile = {}, const QString &packer = {});
// The same without the checks of the output, for a file just made for it.
QList<Problem> writeProgramFile(const QByteArray &code, const QString &output, const QByteArray &payload);
// Writes the test as bank.json with its pictures into a new or empty folder, to go on editing. No
// problem when written.
QList<Problem> writeJson(const QString &folder, const BankFiles &files);

} // namespace morv
