// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows build on its own platform (run under Wine): a program reads the test appended to it or
// embedded in it, shows its title and question count, and every text of the test is whole in its box
// at the screen's DPI. The program to read is MORV_PROGRAM (default: this binary, with the shipped test
// embedded); MORV_TITLE and MORV_QUESTIONS say what it must show.
#include "bank/bankreader.h"
#include "bank/payload.h"
#include "bank/picturecheck.h"
#include "ui/startup.h"
#include "ui/textbox.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QScrollBar>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace morv::test {
namespace {

QString expected(const char *name)
{
    return qEnvironmentVariable(name);
}

// The test of MORV_PROGRAM as that program reads it (its mark found by content, as morv-pack finds it),
// or this binary's own embedded test.
BankLoad programBank()
{
    if (!qEnvironmentVariableIsSet("MORV_PROGRAM"))
        return readEmbeddedBank(jpegHeaderProblem);
    const QString program = expected("MORV_PROGRAM");
    QFile file(program);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    return readProgramBank(program, programMark(bytes).value_or(ProgramMark::AsBuilt), jpegHeaderProblem);
}

struct Started
{
    std::unique_ptr<TestSession> session;
    QString refusal;
};

Started start()
{
    Started started;
    started.session = startTest(
        programBank(), [&started](const QString &message) { started.refusal = message; }, [] {});
    return started;
}

template <typename T>
T *control(const Started &started, const QString &name)
{
    return started.session->window().findChild<T *>(name);
}

// The window's layout is in device-independent pixels: at any DPI it is the same 727 × 482 window,
// scaled by Windows' factor.
TEST(Program, ShowsItsTitleAndQuestionCount)
{
    const Started started = start();
    ASSERT_TRUE(started.session) << started.refusal.toStdString();
    QApplication::processEvents();
    const QWidget &window = started.session->window();
    EXPECT_EQ(window.size(), QSize(727, 482));
    const QLabel *title = control<QLabel>(started, u"Label1(0)"_s);
    const QLabel *counter = control<QLabel>(started, u"Label1(2)"_s);
    ASSERT_TRUE(title && counter);
    EXPECT_EQ(title->text().toStdString(), expected("MORV_TITLE").toStdString());
    EXPECT_EQ(counter->text().toStdString(),
              (u"Въведени отговори: 0/"_s + expected("MORV_QUESTIONS")).toStdString());
}

TEST(Program, RefusesADamagedTest)
{
    if (!qEnvironmentVariableIsSet("MORV_REFUSAL"))
        GTEST_SKIP() << "MORV_REFUSAL names the message of a damaged program";
    const Started started = start();
    EXPECT_FALSE(started.session);
    EXPECT_TRUE(started.refusal.contains(expected("MORV_REFUSAL"))) << started.refusal.toStdString();
}

// Every question and answer of the test shown in the real boxes, at the DPI Wine is set to: none needs
// the scroll bar.
TEST(Program, EveryQuestionAndAnswerIsWholeOnScreen)
{
    const BankLoad load = programBank();
    ASSERT_TRUE(load.bank);
    const Started started = start();
    ASSERT_TRUE(started.session);
    control<QWidget>(started, u"Text2(5)"_s)->setVisible(true);
    const Bank &bank = *load.bank;
    int checked = 0;
    for (int k = 1; k <= bank.List1(0).size(); ++k) {
        const QStringList &question = bank.List1(k);
        for (qsizetype i = 0; i < question.size() && i <= 5; ++i) {
            TextBox *box = control<TextBox>(started, u"Text2(%1)"_s.arg(i));
            ASSERT_TRUE(box);
            box->setRawText(question[i]);
            QApplication::processEvents();
            EXPECT_EQ(box->verticalScrollBar()->maximum(), 0)
                << "question " << k << ", text " << i << ": " << question[i].toStdString();
            ++checked;
        }
    }
    EXPECT_GT(checked, bank.List1(0).size());
}

} // namespace
} // namespace morv::test

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
