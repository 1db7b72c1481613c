// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The packer's window: a teacher opens a source, sees every question as the pupils will and every
// problem with its line, sets the test's switches, tries the test and writes the program. The source is
// read again whenever it is saved, so fixing a problem is: edit, save, look.
#pragma once

#include "pack/editorsession.h"
#include "pack/packer.h"
#include "pack/packerengine.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QCheckBox;
class QFileSystemWatcher;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QSettings;
class QSplitter;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace morv {

class QuestionForm;
class QuestionList;
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
    // The test's unsaved changes: save, lose, or go back.
    std::function<UnsavedAnswer(QWidget *parent, const QString &title)> unsavedChanges;
    // Where to save the test as Moodle XML, and what of its source the file will not hold; empty: cancelled.
    std::function<QString(QWidget *parent, const QString &suggested, const QStringList &leftOut)> testToSave;
    // A test left unsaved by a window that is gone: take it back?
    std::function<bool(QWidget *parent, const QString &title, const QDateTime &written)> recover;
    std::function<QString(QWidget *parent)> pictureToOpen; // empty: cancelled
    QString recoveryFolder; // where the recovery copies are kept; empty: the user's data folder
};

// File dialogs and message boxes; the window starts the tried test itself.
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
    // Reads the source again when the test has no unsaved changes: it was saved in another editor.
    void reload();
    // A test of no questions with the shipped switches, after asking about unsaved changes.
    void newTest();
    // Saves the test as Moodle XML; false when it was not saved.
    bool save();
    // At start: a test a crashed window left unsaved is offered back.
    void offerRecovery();
    EditorSession &session() { return *m_session; }
    // The question shown, from 1 in the source's order; 0 for none.
    int chosenQuestion() const { return m_chosen; }
    void chooseQuestion(int number);
    const PackResult &result() const { return m_result; }

Q_SIGNALS:
    // The source was read and everything shown again: after opening it, after a save, after a change
    // of the settings.
    void sourceRead();

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The splitter's columns, left to right.
    enum Column { ListColumn, FormColumn, PreviewColumn, ColumnCount };

    void buildControls();
    void buildMenus();
    QWidget *buildListColumn(QWidget *parent);
    std::array<int, ColumnCount> columnWidths(bool least) const;
    void fitColumns();
    void startEditing();
    void questionEdited(int index);
    void showSettings();
    void fillFromEditor();
    void showCount();
    void showFileName();
    void chooseRow(int row);
    int editedQuestion() const;
    bool prepareProgram();
    void setTabOrderOfControls();
    PackOptions options(SourceFormat format) const;
    void showResult();
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
    QString m_source; // the file, or the folder holding bank.json
    PackResult m_result;
    bool m_formatKnown = false;
    int m_chosen = 0;
    std::unique_ptr<EditorSession> m_session;
    // The source's own findings are shown until the test is first changed; the editor's after that.
    bool m_showSource = false;
    std::vector<int> m_rowQuestion; // the editor's question of each row of the list; -1 for one left out

    QSplitter *m_columns = nullptr; // the list, the form and the preview with the settings
    bool m_columnsMoved = false;    // by the teacher: their widths are kept from then on
    QPushButton *m_open = nullptr;
    QPushButton *m_recent = nullptr;
    QMenu *m_recentMenu = nullptr;
    QLabel *m_sourceLabel = nullptr;
    QuestionList *m_questions = nullptr;
    QLabel *m_count = nullptr;
    QuestionForm *m_form = nullptr;
    QListWidget *m_findings = nullptr;
    QuestionPreview *m_preview = nullptr;
    QLineEdit *m_title = nullptr;
    std::array<QCheckBox *, SwitchCount> m_switches{};
    QLabel *m_ownSettings = nullptr;
    QPushButton *m_try = nullptr;
    QPushButton *m_write = nullptr;
    PackerEngine m_engine; // the source as read: its test, findings and status until the test is changed
    TriedPrograms *m_tried = nullptr;
    QFileSystemWatcher *m_watcher = nullptr;
    QTimer *m_saved = nullptr;  // a save settles before the source is read again
    QTimer *m_typing = nullptr; // the title is read again when the typing pauses
};

} // namespace morv
