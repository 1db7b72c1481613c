// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "pack/preview.h"

#include "pack/write.h"

#include <QDir>
#include <QFile>
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

namespace {

// A new temporary file for a program, or why none can be made.
PreviewProgram temporaryProgram()
{
    QTemporaryFile preview(QDir::temp().filePath(u"morv-preview-XXXXXX"_s + ProgramSuffix));
    // The name is kept for the program written over it; whoever starts it removes it.
    preview.setAutoRemove(false);
    if (!preview.open())
        return {{},
                {notWritten(u"временната програма не може да се създаде в „%1“"_s.arg(
                    QDir::toNativeSeparators(QDir::tempPath())))}};
    return {preview.fileName(), {}};
}

// The program written into a temporary file just made for it: only the program is checked.
PreviewProgram writeTemporaryProgram(const QString &program, const QByteArray &payload)
{
    // The program first: a refused one leaves nothing behind in the temporary folder.
    const BaseProgram base = readBaseProgram(program);
    if (!base.problems.isEmpty())
        return {.program = {}, .problems = base.problems, .processId = 0};
    PreviewProgram written = temporaryProgram();
    if (!written.problems.isEmpty())
        return written;
    written.problems = writeProgramFile(base.code, written.program, payload);
    if (!written.problems.isEmpty())
        QFile::remove(written.program);
    return written;
}

} // namespace

PreviewProgram writeAndStartPreview(const QString &program, const QByteArray &payload,
                                    const QStringList &dropEnvironment)
{
    PreviewProgram written = writeTemporaryProgram(program, payload);
    if (written.problems.isEmpty() && !startPreview(written.program, dropEnvironment))
        written.problems.append(notWritten(u"„%1“ не може да се стартира"_s.arg(written.program)));
    return written;
}

TriedPrograms::TriedPrograms(QObject *parent) : QObject(parent) {}

TriedPrograms::~TriedPrograms()
{
    // Destroying a process object would end the test the teacher still has open: it is kept, for as
    // long as the packer runs, in a list that is never destroyed.
    static auto *const stillOpen = new QList<QProcess *>;
    for (QProcess *process : std::as_const(m_running)) {
        QFile::remove(process->program());
        disconnect(process, nullptr, this, nullptr);
        process->setParent(nullptr);
        stillOpen->append(process);
    }
}

PreviewProgram TriedPrograms::start(const QString &program, const QByteArray &payload)
{
    PreviewProgram written = writeTemporaryProgram(program, payload);
    if (!written.problems.isEmpty())
        return written;
    auto *process = new QProcess(this);
    process->setProgram(written.program);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    connect(process, &QProcess::finished, this, [this, process] { ended(process); });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            ended(process);
    });
    m_running.append(process);
    process->start();
    if (!process->waitForStarted()) {
        ended(process);
        written.problems.append(notWritten(u"„%1“ не може да се стартира"_s.arg(written.program)));
    }
    written.processId = process->processId();
    return written;
}

QStringList TriedPrograms::programs() const
{
    QStringList programs;
    for (const QProcess *process : m_running)
        programs.append(process->program());
    return programs;
}

void TriedPrograms::ended(QProcess *process)
{
    if (!m_running.removeOne(process))
        return;
    QFile::remove(process->program());
    process->deleteLater();
}

} // namespace morv
