// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// User events through the widgets: each reaches its handler once and the widgets follow the engine.
#include "engine/controls.h"
#include "tests/widget_harness.h"
#include "ui/figurebox.h"

#include <QBuffer>

#include <QEventLoop>
#include <QSignalSpy>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace morv::test {
namespace {

QPoint indicatorOf(QRadioButton *option)
{
    return {8, option->height() / 2};
}

// A real mouse click on an option runs the answer handling once: the counter rises from 0 to 1.
TEST(Answering, MouseClickRunsTheHandlerOnce)
{
    Harness h;
    h.show();
    QSignalSpy clicks(h.option(1)->group(), &QButtonGroup::idClicked);
    QTest::mouseClick(h.option(1), Qt::LeftButton, {}, indicatorOf(h.option(1)));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(h.engine.values().AnsweredCount, 1);
    EXPECT_EQ(h.caption(u"Label1(2)"_s), u"Въведени отговори: 1/5"_s);
    EXPECT_EQ(h.engine.state().List2[Chosen].row(0), u"1"_s);
    EXPECT_EQ(h.engine.state().List2[Grades].row(0), u"0"_s); // "3-2" is not the correct "3-1"
    EXPECT_TRUE(h.option(1)->isChecked());
    EXPECT_EQ(h.pixel(h.control(u"Picture1"_s), {200, 6}), QColor(0, 255, 0));
}

// Changing the answer by click() records the new one and does not count the question again.
TEST(Answering, ChangingTheAnswerKeepsTheCount)
{
    Harness h;
    h.show();
    h.option(1)->click();
    h.option(0)->click();
    EXPECT_EQ(h.engine.values().AnsweredCount, 1);
    EXPECT_EQ(h.caption(u"Label1(2)"_s), u"Въведени отговори: 1/5"_s);
    EXPECT_EQ(h.engine.state().List2[Chosen].row(0), u"0"_s);
    EXPECT_EQ(h.engine.state().List2[Grades].row(0), u"1"_s);
    EXPECT_TRUE(h.option(0)->isChecked());
    EXPECT_FALSE(h.option(1)->isChecked());
}

// Moving to an unanswered question leaves no option checked; coming back, the engine selects the stored
// answer from code, which checks its button without a click and without counting it again.
TEST(Answering, NavigationUnchecksAndRestoresWithoutClicks)
{
    Harness h;
    h.show();
    h.option(2)->click();
    QSignalSpy clicks(h.option(0)->group(), &QButtonGroup::idClicked);

    h.button(u"Command1(0)"_s)->click();
    EXPECT_EQ(h.rawText(u"Text2(0)"_s), u"Въпрос 5"_s);
    for (int i = 0; i <= 4; ++i)
        EXPECT_FALSE(h.option(i)->isChecked()) << i;
    EXPECT_EQ(h.option(0)->group()->checkedId(), -1);
    EXPECT_EQ(h.pixel(h.control(u"Picture1"_s), {200, 6}), QColor(255, 0, 0));

    h.button(u"Command1(1)"_s)->click();
    EXPECT_EQ(h.rawText(u"Text2(0)"_s), u"Въпрос 3"_s);
    EXPECT_TRUE(h.option(2)->isChecked());
    EXPECT_EQ(h.engine.values().AnsweredCount, 1);
    EXPECT_EQ(h.caption(u"Label1(2)"_s), u"Въведени отговори: 1/5"_s);
    EXPECT_EQ(h.pixel(h.control(u"Picture1"_s), {200, 6}), QColor(0, 255, 0));
    EXPECT_EQ(clicks.count(), 0);
}

// A second question answered raises the counter to 2; the answers row then grows by 10525 / 5 twips.
TEST(Answering, SecondAnswerLengthensTheAnswersRow)
{
    Harness h;
    h.show();
    h.option(0)->click();
    h.button(u"Command1(0)"_s)->click();
    QTest::mouseClick(h.option(3), Qt::LeftButton, {}, indicatorOf(h.option(3)));
    EXPECT_EQ(h.caption(u"Label1(2)"_s), u"Въведени отговори: 2/5"_s);
    // 240..2395 twips: 16..159.67 px.
    EXPECT_EQ(h.control(u"Shape2(0)"_s)->geometry(), QRect(16, 267, 144, 17));
}

// The figure of a question is shown; a question without one leaves the picture box empty.
TEST(Pictures, FigureShownAndClearedWhenTheQuestionHasNone)
{
    BankSource source = fiveQuestions();
    source.questions[2].picture = tinyJpeg(1); // bank question 3, shown first
    source.questions[2].pictureName = u"figure.jpg"_s;
    Harness h(source);
    h.show();
    auto *picture = h.control<QLabel>(u"Picture2"_s);
    EXPECT_EQ(picture->pixmap().size(), QSize(8, 6));
    h.button(u"Command1(0)"_s)->click(); // bank question 5 has no figure
    EXPECT_TRUE(picture->pixmap().isNull());
    h.button(u"Command1(1)"_s)->click();
    EXPECT_EQ(picture->pixmap().size(), QSize(8, 6));
}

// Until the window is first drawn, its first figure waits undecoded; the first frame shows it as decoded
// at once, and from then on each figure is decoded as soon as its question is shown.
TEST(Pictures, FirstFigureDecodedWhenTheWindowIsFirstDrawn)
{
    BankSource source = fiveQuestions();
    source.questions[2].picture = tinyJpeg(1); // bank question 3, shown first
    source.questions[2].pictureName = u"first.jpg"_s;
    source.questions[4].picture = tinyJpeg(4); // bank question 5, shown second
    source.questions[4].pictureName = u"second.jpg"_s;
    Harness h(source);
    auto *picture = h.control<FigureBox>(u"Picture2"_s);
    EXPECT_TRUE(picture->waiting());
    EXPECT_TRUE(picture->pixmap().isNull());

    h.show();
    EXPECT_FALSE(picture->waiting());
    EXPECT_EQ(picture->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
              QImage::fromData(tinyJpeg(1), "JPG").convertToFormat(QImage::Format_RGB32));
    h.button(u"Command1(0)"_s)->click();
    EXPECT_FALSE(picture->waiting());
    EXPECT_EQ(picture->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
              QImage::fromData(tinyJpeg(4), "JPG").convertToFormat(QImage::Format_RGB32));
}

// A figure as big as the picture box is shown whole, to its last row and column.
TEST(Pictures, FullSizeFigureIsNotCut)
{
    QImage figure(225, 137, QImage::Format_RGB32);
    figure.fill(QColor(0, 0, 255));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    figure.save(&buffer, "JPG", 95);
    BankSource source = fiveQuestions();
    source.questions[2].picture = jpeg; // bank question 3, shown first
    source.questions[2].pictureName = u"figure.jpg"_s;
    Harness h(source);
    h.show();
    QWidget *picture = h.control(u"Picture2"_s);
    for (const QPoint corner : {QPoint(0, 0), QPoint(224, 136)}) {
        const QColor shown = h.pixel(picture, corner);
        EXPECT_LT(shown.red(), 16) << rgb(shown);
        EXPECT_LT(shown.green(), 16) << rgb(shown);
        EXPECT_GT(shown.blue(), 239) << rgb(shown);
    }
}

// "Автор" replaces the help text with the one-line message; moving on does not bring it back.
TEST(Menu, AuthorReplacesTheHelpText)
{
    Harness h;
    h.show();
    h.action(u"autor"_s)->trigger();
    const QString message = u"За повече информация посетете "_s + layout::WebAddress.toString() + u"."_s;
    EXPECT_EQ(h.rawText(u"Text1(0)"_s), message);
    h.button(u"Command1(0)"_s)->click();
    EXPECT_EQ(h.rawText(u"Text1(0)"_s), message);
    EXPECT_EQ(h.rawText(u"Text2(0)"_s), u"Въпрос 5"_s);
}

// Runs the event loop until the program's end is asked for, or gives 99 after two seconds.
int runUntilEnd(Harness &h, const std::function<void()> &userAction)
{
    QEventLoop loop;
    h.onEnd = [&loop] { loop.exit(0); };
    QTimer::singleShot(0, &loop, userAction);
    QTimer::singleShot(2000, &loop, [&loop] { loop.exit(99); });
    const int status = loop.exec();
    h.onEnd = nullptr;
    return status;
}

// "Изход" ends the program at once, in the middle of the test.
TEST(Menu, ExitEndsTheEventLoop)
{
    Harness h;
    h.show();
    h.option(0)->click();
    EXPECT_EQ(runUntilEnd(h, [&h] { h.action(u"izhod(0)"_s)->trigger(); }), 0);
    EXPECT_EQ(h.endCalls, 1);
    EXPECT_TRUE(h.engine.ended());
}

// The close box ends the program as "Изход" does, once.
TEST(Menu, CloseBoxEndsTheProgramLikeExit)
{
    Harness h;
    h.show();
    EXPECT_EQ(runUntilEnd(h, [&h] { h.window.close(); }), 0);
    EXPECT_EQ(h.endCalls, 1);
    EXPECT_TRUE(h.engine.ended());
    EXPECT_FALSE(h.window.isVisible());
}

// Closing after "Изход" does not end the program a second time.
TEST(Menu, CloseAfterExitEndsOnlyOnce)
{
    Harness h;
    h.show();
    h.action(u"izhod(0)"_s)->trigger();
    h.window.close();
    EXPECT_EQ(h.endCalls, 1);
}

// Grade: 1 right of 5 gives "Резултат: 1/5 = 20%"; the test-mode buttons go, Grade is disabled, the
// options are disabled, the first position shows its right answer green and its explanation.
TEST(Grading, ResultsModeAfterOneRightAnswer)
{
    Harness h;
    h.show();
    QTest::mouseClick(h.option(0), Qt::LeftButton, {}, indicatorOf(h.option(0))); // "3-1", right
    h.button(u"Command1(0)"_s)->click();
    h.option(1)->click(); // "5-2", wrong
    h.button(u"Command2(0)"_s)->click();

    EXPECT_EQ(h.caption(u"Label1(1)"_s), u"Резултат: 1/5 = 20%"_s);
    EXPECT_FALSE(h.button(u"Command1(0)"_s)->isVisible());
    EXPECT_FALSE(h.button(u"Command1(1)"_s)->isVisible());
    EXPECT_TRUE(h.button(u"Command2(0)"_s)->isVisible());
    EXPECT_FALSE(h.button(u"Command2(0)"_s)->isEnabled());
    EXPECT_FALSE(h.button(u"Command2(1)"_s)->isVisible()); // results navigation is off
    EXPECT_FALSE(h.control(u"Label1(3)"_s)->isVisible());  // the consistency check is off
    EXPECT_EQ(h.rawText(u"Text2(0)"_s), u"Въпрос 3"_s);
    EXPECT_EQ(h.rawText(u"Text1(0)"_s), u"Обяснение на 3\r\n"_s);
    for (int i = 0; i <= 3; ++i)
        EXPECT_FALSE(h.option(i)->isEnabled()) << i;
    EXPECT_TRUE(h.option(0)->isChecked());
    // Disabled, the right answer still shows green and the others light blue.
    EXPECT_EQ(h.pixel(h.option(0), {117, 9}), QColor(0, 255, 0)) << rgb(h.pixel(h.option(0), {117, 9}));
    EXPECT_EQ(h.pixel(h.option(2), {117, 9}), QColor(192, 192, 255)) << rgb(h.pixel(h.option(2), {117, 9}));
    EXPECT_EQ(h.pixel(h.control(u"Picture1"_s), {200, 6}), QColor(0, 255, 0));

    // A disabled option ignores the examinee.
    QTest::mouseClick(h.option(2), Qt::LeftButton, {}, indicatorOf(h.option(2)));
    EXPECT_TRUE(h.option(0)->isChecked());
    EXPECT_EQ(h.engine.state().List2[Chosen].row(0), u"0"_s);
}

// With results navigation on, a wrong answer shows red, the right one green, the indicator red.
TEST(Grading, WrongAnswerShownRedBesideTheRightOne)
{
    Harness h(fiveQuestions(1));
    h.show();
    h.button(u"Command1(0)"_s)->click();
    h.option(1)->click(); // position 1, "5-2", wrong
    h.button(u"Command2(0)"_s)->click();
    ASSERT_TRUE(h.button(u"Command2(1)"_s)->isVisible());
    ASSERT_TRUE(h.button(u"Command2(2)"_s)->isVisible());
    EXPECT_EQ(h.rawText(u"Text1(0)"_s), u"Няма въведен отговор!"_s); // position 0 was not answered
    for (int i = 0; i <= 4; ++i)
        EXPECT_FALSE(h.option(i)->isChecked()) << i;

    h.button(u"Command2(1)"_s)->click();
    EXPECT_EQ(h.rawText(u"Text2(0)"_s), u"Въпрос 5"_s);
    EXPECT_TRUE(h.option(1)->isChecked());
    EXPECT_EQ(h.pixel(h.option(1), {117, 9}), QColor(255, 0, 0)) << rgb(h.pixel(h.option(1), {117, 9}));
    EXPECT_EQ(h.pixel(h.option(0), {117, 9}), QColor(0, 255, 0)) << rgb(h.pixel(h.option(0), {117, 9}));
    EXPECT_EQ(h.pixel(h.option(3), {117, 9}), QColor(192, 192, 255)) << rgb(h.pixel(h.option(3), {117, 9}));
    EXPECT_EQ(h.pixel(h.control(u"Picture1"_s), {200, 6}), QColor(255, 0, 0));
    EXPECT_EQ(h.rawText(u"Text1(0)"_s), u"Обяснение на 5\r\n"_s);
    // The graded view checks the stored answer from code: nothing is counted again.
    EXPECT_EQ(h.caption(u"Label1(2)"_s), u"Въведени отговори: 1/5"_s);
}

// With results navigation on (row 5 at 1), Back after Forward shows the first question again, with
// nothing chosen where nothing was answered and its own explanation.
TEST(Grading, BackAfterForwardShowsTheFirstQuestionAgain)
{
    Harness h(fiveQuestions(1));
    h.show();
    h.button(u"Command1(0)"_s)->click();
    h.option(1)->click(); // position 1, "5-2"
    h.button(u"Command2(0)"_s)->click();
    ASSERT_EQ(h.rawText(u"Text2(0)"_s), u"Въпрос 3"_s);
    h.button(u"Command2(1)"_s)->click();
    ASSERT_EQ(h.rawText(u"Text2(0)"_s), u"Въпрос 5"_s);
    h.button(u"Command2(2)"_s)->click();
    EXPECT_EQ(h.rawText(u"Text2(0)"_s), u"Въпрос 3"_s);
    EXPECT_EQ(h.rawText(u"Text1(0)"_s), u"Няма въведен отговор!"_s);
    for (int i = 0; i <= 4; ++i)
        EXPECT_FALSE(h.option(i)->isChecked()) << i;
}

} // namespace
} // namespace morv::test
