// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A test changed in place, without widgets: questions added, duplicated, removed and moved, each field
// typed, every change a command that can be undone. The problems and the fit of a question are found
// again when it changes, and only for it, so that a keystroke stays cheap.
#pragma once

#include "bank/testdocument.h"
#include "pack/fit.h"

#include <QObject>

#include <memory>
#include <optional>
#include <vector>

class QUndoStack;

namespace morv {

// The text a typing command changes: keystrokes in one field merge into one command.
enum class Field { QuestionText, Answer, Explanation, PictureText };

class TestEditor : public QObject
{
    Q_OBJECT

public:
    explicit TestEditor(QObject *parent = nullptr);
    ~TestEditor() override;

    // A test of no questions with the shipped switches; nothing to undo, nothing changed.
    void newTest(const QString &title = {});
    // A test read from a source; nothing to undo. `right`: the chosen answer of each question, by default
    // the one whose text is the right answer's; `modified`: not as saved, as a recovered test is.
    void load(TestDocument document, std::vector<int> right = {}, bool modified = false);

    const TestDocument &document() const { return m_document; }
    int questionCount() const { return int(m_document.questions.size()); }
    const TestQuestion &question(int index) const { return m_document.questions[std::size_t(index)]; }
    // The answer chosen as the right one, from 0; -1 while none is.
    int rightAnswer(int index) const { return m_right[std::size_t(index)]; }
    const std::vector<int> &rightAnswers() const { return m_right; }
    // The rules the question breaks now, each naming it by its place in the test.
    const QList<Problem> &problems(int index) const { return m_problems[std::size_t(index)]; }
    // What of the question a pupil would not see whole, and where its texts are cut.
    const QuestionFit &fit(int index) const { return m_fits[std::size_t(index)]; }
    // The rules the test as a whole breaks: its settings and the number of its questions.
    const QList<Problem> &testProblems() const { return m_testProblems; }
    // Whether any rule is broken: a program is written only from a test without problems.
    bool hasProblems() const;
    // The most questions the switches allow.
    int questionLimit() const;

    QUndoStack *undoStack() const { return m_undo.get(); }
    // Changed since it was loaded or last saved.
    bool isModified() const;
    void markSaved();

    // A question of two empty answers at `at` (the end when out of range); returns where it is.
    int addQuestion(int at = -1);
    void duplicateQuestion(int index);
    void removeQuestion(int index);
    void moveQuestion(int from, int to);
    void setQuestionText(int index, const QString &text);
    void setAnswer(int index, int answer, const QString &text);
    // 2 to 5 answers: false, and nothing done, beyond them.
    bool addAnswer(int index);
    bool removeAnswer(int index, int answer);
    void moveAnswer(int index, int from, int to);
    // -1: none chosen yet. The right answer's text follows the chosen answer as it is typed.
    void setRightAnswer(int index, int answer);
    // Lines separated by '\n'; an empty text is no explanation.
    void setExplanation(int index, const QString &text);
    // A JPEG, PNG or GIF, made a JPEG that fits the picture box (one that fits is kept byte for byte).
    // Returns why it cannot be, in the teacher's words, or an empty string when it is set.
    QString setPicture(int index, const QByteArray &bytes, const QString &name);
    void removePicture(int index);
    void setPictureText(int index, const QString &text);
    void setTitle(const QString &title);
    void setSwitch(Switch which, int digit);

    // One question as it stands with its chosen answer: what a command saves and restores.
    struct Entry
    {
        TestQuestion question;
        int right = -1;
    };

Q_SIGNALS:
    // A question's content changed, its problems and fit found again.
    void questionChanged(int index);
    // Questions were added, removed or moved: every index may mean another question now.
    void questionsChanged();
    // The title or a switch.
    void settingsChanged();
    void modifiedChanged(bool modified);

private:
    friend class QuestionCommand;
    friend class ListCommand;
    friend class SettingsCommand;

    Entry entry(int index) const;
    void changeQuestion(int index, const Entry &after, const QString &what, std::optional<Field> typing = {},
                        int answer = -1);
    void changeList(std::vector<Entry> after, const QString &what);
    void changeSettings(const QString &title, const TestSwitches &switches, bool typing, const QString &what);

    // What commands do and undo.
    void putQuestion(int index, const Entry &entry);
    void putList(const std::vector<Entry> &entries);
    void putSettings(const QString &title, const TestSwitches &switches);

    std::vector<Entry> entries() const;
    void findAgain(int index);
    void findAllAgain();
    void findTestProblems();

    TestDocument m_document;
    std::vector<int> m_right;
    std::vector<QList<Problem>> m_problems;
    std::vector<QuestionFit> m_fits;
    QList<Problem> m_testProblems;
    std::unique_ptr<QUndoStack> m_undo;
};

} // namespace morv
