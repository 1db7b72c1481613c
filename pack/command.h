// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// morv-pack as a command: a call parsed into the test's settings, carried out in the order that settles
// every refusal before the source is read, its messages and exit status as a teacher reads them.
#pragma once

#include "pack/reading.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <optional>

namespace morv {

enum PackExit { Written = 0, SourceProblems = 1, UsageError = 2 };
enum class PackAction { Write, Check, Json, Xml, Preview };

// One call of morv-pack, as parsed from its arguments.
struct PackCall
{
    PackOptions options;           // the source with the title, switches and strictness given
    std::optional<QString> format; // --format as given; none: told from the source
    PackAction action = PackAction::Check;
    QString target;              // the program to write (-o), the folder (--json) or the file (--xml)
    QString program;             // the morv to copy
    QString packer;              // morv-pack's own file, which is never written over
    QStringList dropEnvironment; // variables the command set for itself, not passed on to a preview
    QStringList ignoredByFolder; // options given, without "--", that a bank.json folder overrides
};

// The help, every option with its line.
QString packUsage();
// A wrong call: "morv-pack: why" and where to see how to call.
int usageError(QTextStream &err, const QString &why);
// Carries the call out: the messages on `err` one a line, "Записано / written: FILE" on `out`.
int runPack(const PackCall &call, QTextStream &out, QTextStream &err);

} // namespace morv
