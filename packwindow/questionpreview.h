// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// One question as a pupil will see it: the test's own window and engine, at their real size, with that
// question alone, its answers in the source's order and the right one chosen.
#pragma once

#include "bank/testdocument.h"

#include <QStringList>
#include <QWidget>

#include <memory>

class QLabel;
class QVBoxLayout;

namespace morv {

class MainWindow;
class TestSession;

class QuestionPreview : public QWidget
{
    Q_OBJECT

public:
    explicit QuestionPreview(QWidget *parent = nullptr);
    ~QuestionPreview() override;

    // The question in the test's window, with the test's settings: its title, and the phrase preview
    // when that switch is on.
    void showQuestion(const TestQuestion &question, const QString &title, const TestSwitches &switches);
    // A word in place of the window, when there is no question to show.
    void showMessage(const QString &text);

    // The test's window shown now, or none.
    MainWindow *testWindow() const;

private:
    QVBoxLayout *m_layout = nullptr;
    QLabel *m_message = nullptr;
    std::unique_ptr<TestSession> m_session;
    TestDocument m_shown; // the one question with the test's title and switches
};

} // namespace morv
