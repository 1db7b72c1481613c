// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The copy of a test being edited that outlives a crash: written safely beside the user's data, one a
// window, removed when the test is saved or the window closes, and offered again at the next start when
// the window that wrote it is gone without either.
#pragma once

#include "bank/testdocument.h"

#include <QDateTime>
#include <QLockFile>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace morv {

// A test as the editor holds it: the document, the chosen answers, and where it came from.
struct EditedTest
{
    TestDocument document;
    std::vector<int> right; // the chosen answer of each question, from 0; -1 for none
    QString savePath;       // the file „Запази“ writes; empty until one is chosen
    QStringList leftOut;    // what of the source the test does not hold, one message a question
};

struct RecoveredTest
{
    EditedTest test;
    QString file;      // the recovery copy it was read from
    QDateTime written; // when it was written
};

class Recovery
{
public:
    // `folder`: where the copies are kept, the user's data folder for the program; `name`: this window's
    // copy among them, by default the process's.
    explicit Recovery(QString folder, const QString &name = {});
    ~Recovery();
    Recovery(const Recovery &) = delete;
    Recovery &operator=(const Recovery &) = delete;

    // The user's data folder of the running program.
    static QString defaultFolder();

    // Writes this window's copy; false when it cannot be written.
    bool write(const EditedTest &test);
    // Removes this window's copy: the test was saved, or the teacher chose to lose the changes.
    void remove();
    QString file() const { return m_file; }

    // The newest copy left by a window that is gone, if any; a copy that cannot be read is removed.
    std::optional<RecoveredTest> left() const;
    // Removes a copy left by a window that is gone, once the teacher has taken it or declined it.
    static void discard(const QString &file);

private:
    QString m_folder;
    QString m_file;
    std::unique_ptr<QLockFile> m_lock; // held while the window lives: its copy is not one left behind
};

// The bytes of a recovery copy and back; nothing when the bytes are not one.
QByteArray recoveryBytes(const EditedTest &test);
std::optional<EditedTest> fromRecoveryBytes(const QByteArray &bytes);

} // namespace morv
