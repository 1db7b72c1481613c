// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The packer's window: a teacher opens a source, sees every question as the pupils will and every
// problem with its line, sets the test's switches, tries the test and writes the program. The source is
// read again whenever it is saved, so fixing a problem is: edit, save, look.
#pragma once

#include "pack/packer.h"
#include "pack/packerengine.h"

#include <QMainWindow>

#include <array>
#include <functional>

class QCheckBox;
class QFileSystemWatcher;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QSettings;
class QTimer;
class QTreeWidget;

namespace morv {

class QuestionPreview;
class TriedPrograms;

// What the window asks of the teacher and of the system. The program answers with dialogs and a
// started test; tests answer for them.
struct PackerChoices
{
    std::function<QString(QWidget *parent)> sourceToOpen; // empty: the teacher cancelled
    std::function<QString(QWidget *parent, const QString &suggested)> programToWrite; // empty: cancelled
    std::function<void(QWidget *parent, const QString &message)> tell;
    // None: the window starts the test itself, and removes its temporary program when it closes.
    std::function<PreviewProgram(const QString &program, const BankFiles &files)> tryOut;
};

// File dialogs and a message box; the window starts the tried test itself.
PackerChoices dialogChoices();

class PackerWindow : public QMainWindow
{
    Q_OBJECT

public:
    // `program` is the morv that written programs copy; the recent sources are kept in `settings`.
    PackerWindow(QSettings &settings, QString program, PackerChoices choices = dialogChoices(),
                 QWidget *parent = nullptr);
    ~PackerWindow() override;

    // Opens a source: a file, a folder holding bank.json, or that bank.json itself. The title and the
    // switches start from the command line's defaults.
    void open(const QString &path);
    // Reads the source again, with the title and switches as they stand.
    void reload();
    // The question shown, from 1 in the source's order; 0 for none.
    int chosenQuestion() const { return m_engine.chosenQuestion(); }
    void chooseQuestion(int number);
    const PackResult &result() const { return m_engine.result(); }

Q_SIGNALS:
    // The source was read and everything shown again: after opening it, after a save, after a change
    // of the settings.
    void sourceRead();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void buildControls();
    void setTabOrderOfControls();
    void showRead();
    void showResult();
    void showOwnSettings();
    void fillQuestions();
    void fillFindings();
    void showChosen();
    void watch();
    void directoryChanged();
    void readPending();
    void rememberRecent(const QString &path);
    void forgetRecent(const QString &path);
    void fillRecent();
    void chooseSource();
    void tryTest();
    void writeTest();
    bool programFound();

    QSettings &m_settings;
    const QString m_program;
    PackerChoices m_choices;
    PackerEngine m_engine; // the source, the test read from it, the question chosen, the switches

    QPushButton *m_open = nullptr;
    QPushButton *m_recent = nullptr;
    QMenu *m_recentMenu = nullptr;
    QLabel *m_sourceLabel = nullptr;
    QTreeWidget *m_questions = nullptr;
    QListWidget *m_findings = nullptr;
    QuestionPreview *m_preview = nullptr;
    QLineEdit *m_title = nullptr;
    std::array<QCheckBox *, SwitchCount> m_switches{};
    QLabel *m_ownSettings = nullptr;
    QPushButton *m_try = nullptr;
    QPushButton *m_write = nullptr;
    QFileSystemWatcher *m_watcher = nullptr;
    QTimer *m_saved = nullptr;  // a save settles before the source is read again
    QTimer *m_typing = nullptr; // the title is read again when the typing pauses
    TriedPrograms *m_tried = nullptr;
};

} // namespace morv
