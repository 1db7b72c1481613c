// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "packwindow/questionpreview.h"

#include "bank/bankreader.h"
#include "engine/controls.h"
#include "engine/random.h"
#include "ui/mainwindow.h"
#include "ui/startup.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

// Every draw is 0, so every list keeps its first order: for the answers, the source's own.
class SourceOrder final : public RandomSource
{
public:
    void seedFromClock() override {}
    float draw() override { return 0.0f; }
};

} // namespace

QuestionPreview::QuestionPreview(QWidget *parent) : QWidget(parent)
{
    setObjectName(u"preview"_s);
    setAccessibleName(u"Въпросът, както ще го види ученикът"_s);
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_message = new QLabel(this);
    m_message->setObjectName(u"previewMessage"_s);
    m_message->setWordWrap(true);
    m_message->setAlignment(Qt::AlignCenter);
    // As big as the test's window, so the page does not jump when a question takes the message's place.
    m_message->setMinimumSize(layout::ClientWidth / layout::TwipsPerPixel,
                              layout::ClientHeight / layout::TwipsPerPixel);
    m_layout->addWidget(m_message, 0, Qt::AlignLeft | Qt::AlignTop);
}

// The session's window is a child of this widget: the session goes first, taking its window along.
QuestionPreview::~QuestionPreview() = default;

void QuestionPreview::showQuestion(const TestQuestion &question, const QString &title,
                                   const TestSwitches &switches)
{
    m_shown.title = title;
    m_shown.switches = switches;
    // With the consistency check the repeat of the only question would be shown in its place.
    m_shown.switches.set(Switch::Toto, false);
    m_shown.questions = {question};
    if (question.answers.size() < 2 || question.answers.size() > OptionCount) {
        showMessage(u"Този въпрос не може да се покаже, докато отговорите му не станат от 2 до 5."_s);
        return;
    }
    // Building the window moves the keyboard focus into it; the teacher keeps it where it was.
    const QPointer<QWidget> focused = QApplication::focusWidget();
    m_session.reset();
    // Exit in the preview unloads its test; the question comes back at once.
    m_session = std::make_unique<TestSession>(buildBank(m_shown), std::make_unique<SourceOrder>(), [this] {
        QTimer::singleShot(
            0, this, [this] { showQuestion(m_shown.questions.front(), m_shown.title, m_shown.switches); });
    });
    MainWindow &window = m_session->window();
    if (const qsizetype right = question.answers.indexOf(question.correct); right >= 0) {
        m_session->engine().selectOption(int(right));
        window.sync();
    }
    window.setParent(this, Qt::Widget);
    m_layout->addWidget(&window, 0, Qt::AlignLeft | Qt::AlignTop);
    m_message->hide();
    window.show();
    if (focused && QApplication::focusWidget() != focused)
        focused->setFocus(Qt::OtherFocusReason);
}

void QuestionPreview::showMessage(const QString &text)
{
    m_session.reset();
    m_message->setText(text);
    m_message->show();
}

MainWindow *QuestionPreview::testWindow() const
{
    return m_session ? &m_session->window() : nullptr;
}

} // namespace morv
