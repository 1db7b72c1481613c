// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A test started as the pupils will get it: written under a new temporary name and started on its own.
#pragma once

#include "bank/source.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QProcess;

namespace morv {

// A program written under a new temporary name and started, as --preview does.
struct PreviewProgram
{
    QString program;         // the name it was written under
    QList<Problem> problems; // none when written and started
    qint64 processId = 0;    // of the test started from the window, while it runs
};

// Starts a program on its own: the caller gets back its terminal, and the program none of its output.
// The environment variables named in `dropEnvironment` (a platform the caller chose only for itself,
// offscreen for measuring) are not passed on.
bool startPreview(const QString &program, const QStringList &dropEnvironment = {});
// Writes `program` with the payload under a new temporary name and starts it so.
PreviewProgram writeAndStartPreview(const QString &program, const QByteArray &payload,
                                    const QStringList &dropEnvironment = {});

// The tests a teacher tries from the window, each a temporary program: removed when its test closes,
// and whatever is left removed when this goes (the window closes). A test still open then stays open.
class TriedPrograms : public QObject
{
    Q_OBJECT

public:
    explicit TriedPrograms(QObject *parent = nullptr);
    ~TriedPrograms() override;

    // Writes `program` with the payload under a new temporary name and starts it.
    PreviewProgram start(const QString &program, const QByteArray &payload);
    // The temporary programs not removed yet.
    QStringList programs() const;

private:
    void ended(QProcess *process);

    QList<QProcess *> m_running;
};

} // namespace morv
