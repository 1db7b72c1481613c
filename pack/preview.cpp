// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "pack/preview.h"

#include "pack/write.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryFile>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

// Windows starts only a program whose name says it is one.
#ifdef Q_OS_WIN
const QString ProgramSuffix = u".exe"_s;
#else
const QString ProgramSuffix;
#endif

Problem notWritten(const QString &text)
{
    return {.rule = Rule::NotWritten, .text = text};
}

} // namespace

// Starts the program on its own: the terminal gets back its prompt, and the program none of its output.
bool startPreview(const QString &program, const QStringList &dropEnvironment)
{
    QProcess preview;
    preview.setProgram(program);
    if (!dropEnvironment.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString &name : dropEnvironment)
            environment.remove(name);
        preview.setProcessEnvironment(environment);
    }
    preview.setStandardOutputFile(QProcess::nullDevice());
    preview.setStandardErrorFile(QProcess::nullDevice());
    return preview.startDetached();
}

PreviewProgram writeAndStartPreview(const QString &program, const QByteArray &payload,
                                    const QStringList &dropEnvironment)
{
    PreviewProgram written;
    {
        QTemporaryFile preview(QDir::temp().filePath(u"morv-preview-XXXXXX"_s + ProgramSuffix));
        preview.setAutoRemove(false);
        if (!preview.open()) {
            written.problems.append(notWritten(u"временната програма не може да се създаде в „%1“"_s.arg(
                QDir::toNativeSeparators(QDir::tempPath()))));
            return written;
        }
        written.program = preview.fileName();
    }
    // The temporary file was just made for it: only the program is checked.
    const BaseProgram base = readBaseProgram(program);
    written.problems =
        base.problems.isEmpty() ? writeProgramFile(base.code, written.program, payload) : base.problems;
    if (written.problems.isEmpty() && !startPreview(written.program, dropEnvironment))
        written.problems.append(notWritten(u"„%1“ не може да се стартира"_s.arg(written.program)));
    return written;
}

} // namespace morv
