// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The test a teacher edits as a file, without widgets: opened from any source the packer reads or from a
// written program, saved as Moodle XML, never lost. Unsaved changes are asked about before they could
// go, a recovery copy follows every change, and a source whose questions were not all carried over is
// never written over.
#pragma once

#include "pack/recovery.h"
#include "pack/testeditor.h"

#include <QObject>
#include <QTimer>

#include <functional>

namespace morv {

enum class UnsavedAnswer { Save, Discard, Cancel };

// What the session asks of the teacher. The window answers with dialogs; tests answer for them.
struct EditorAsks
{
    // The test `title` has changes that are not saved: save them, lose them, or go back to it.
    std::function<UnsavedAnswer(const QString &title)> unsavedChanges;
    // Where to save the test; `leftOut` is what of the source the file will not hold. Empty: cancelled.
    std::function<QString(const QString &suggested, const QStringList &leftOut)> saveAs;
    // A copy of the test `title` that a window left at `written` without saving it: take it back?
    std::function<bool(const QString &title, const QDateTime &written)> recover;
    std::function<void(const QString &message)> tell;
};

// A source read for editing, or why it cannot be.
struct OpenedTest
{
    EditedTest test;
    QStringList problems; // "FILE:LINE: text": why nothing could be opened; empty when it opened
    bool replaceable = false; // „Запази“ may write over the source: a Moodle XML file carried over whole
    bool fromProgram = false; // the test a program morv-pack wrote carries
};

// Every source the packer reads, and a program morv-pack wrote, by the bank appended to it. Questions of
// a kind the test cannot hold are left out of it and named in `leftOut`, as is what of a question was
// lost or changed on the way; questions that break a rule come in to be mended.
OpenedTest openTest(const QString &path);

// Writes the test as Moodle XML, whole or not at all. Empty when written, otherwise why not.
QString saveTest(const QString &path, const TestDocument &document);

class EditorSession : public QObject
{
    Q_OBJECT

public:
    // The recovery copies are kept in `recoveryFolder`, this session's under `recoveryName` (see Recovery).
    explicit EditorSession(EditorAsks asks, const QString &recoveryFolder = Recovery::defaultFolder(),
                           const QString &recoveryName = {}, QObject *parent = nullptr);
    ~EditorSession() override;

    TestEditor &editor() { return m_editor; }
    const TestEditor &editor() const { return m_editor; }
    // The file „Запази“ writes without asking; empty while there is none.
    const QString &savePath() const { return m_test.savePath; }
    // What of the opened source the test does not hold.
    const QStringList &leftOut() const { return m_test.leftOut; }
    // The test's name for the window's title: its file's name, or its title for a new one.
    QString shownName() const;

    // At start: a copy left behind by a crash is offered and, when taken, edited again as unsaved.
    bool offerRecovery();
    // Each first asks about unsaved changes; false when the teacher went back or it failed.
    bool newTest();
    bool open(const QString &path);
    // A test already read from `path`, taken without asking: the caller has settled unsaved changes.
    void take(const QString &path, OpenedTest opened);
    // Asks about unsaved changes and saves them when told to; false when the teacher goes back.
    bool settleUnsaved();
    bool close();
    // To the file opened or last saved when it may be replaced, otherwise as saveAs.
    bool save();
    bool saveAs();

    // Writes the recovery copy now, as the timer does a few seconds after a change.
    void keepRecoveryCopy();
    static constexpr int RecoveryDelayMs = 3000;

Q_SIGNALS:
    // The file the test is saved to, or whether it has unsaved changes.
    void fileChanged();

private:
    bool writeTo(const QString &path);
    void start(EditedTest test, bool modified);

    EditorAsks m_asks;
    TestEditor m_editor;
    Recovery m_recovery;
    EditedTest m_test;      // where the test came from; its document is the editor's
    QString m_openedSource; // the source it was read from, never replaced unless carried over whole
    bool m_sourceWhole = false;
    QTimer m_recoveryTimer;
};

} // namespace morv
