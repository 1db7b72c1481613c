// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Grading and results mode: the score, the consistency verdict, the graded view of a question with
// its colours and explanation, and Forward/Back after grading.
#include "engine/spoken.h"
#include "tests/support/enginehelpers.h"
#include "tests/support/rows.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace morv::test {
namespace {

using test::PrintTo;

const std::optional<Rgb> red = Rgb{255, 0, 0};
const std::optional<Rgb> green = Rgb{0, 255, 0};
const QString noAnswer = u"Няма въведен отговор!"_s;

// Three stored questions with the check on, so N = 4 with the repeat of question 1 as bank index 3.
BankSource resultsBank(int phrase, int explanations, int navigation)
{
    BankSource source;
    source.settings = settings(phrase, 1, explanations, navigation);
    source.questions = {
        question(u"Колко е 2+2?"_s, {u"3"_s, u"5"_s, u"22"_s, u"4"_s}, 3, {u"2 + 2 = 4"_s, u"Отговор: 4"_s},
                 tinyJpeg(1)),
        question(u"Вярно ли е, че 1 > 2?"_s, {u"Да"_s, u"Не"_s}, 1, {u"1 < 2"_s}),
        question(u"Две еднакви"_s, {u"да"_s, u"не"_s, u"да"_s}, 0, {u"Всяко „да“ е вярно"_s}, tinyJpeg(3)),
    };
    return source;
}

// 0.1 gives row 1 of the primes 2, 3: x = 3, order 3, 2, 1, 0. Answer orders: question 1 0.01 → "2413",
// question 2 0.0011 → "21", question 3 and the repeat 0 → "123" and "1234". So:
//   p0 = the repeat (bank index 3): 3 5 22 4, correct at option D
//   p1 = question 3: да не да, correct text at options A and C (C recorded)
//   p2 = question 2: Не Да, correct at option A
//   p3 = question 1: 5 4 3 22, correct at option B
const std::vector<float> resultsDraws = {0.1f, 0.01f, 0.0011f, 0.0f, 0.0f};

const QString questionOneExplanation = u"2 + 2 = 4\r\nОтговор: 4\r\n"_s;

// Grading with nothing answered in the shipped-like test: 0 of 21, "Частично!" shown, position 0 in the
// graded view with every option light blue and none selected, red indicator, the no-answer message;
// Grade disabled, test-mode buttons hidden, results navigation hidden (setting row 5 is 0).
TEST(Grading, NothingAnsweredInTheShippedLikeTest)
{
    StartedRun run(numberedSource(20, 4, shippedSettings()), {0.0f});
    run.forward(3);
    run.grade();
    const FormState &s = run.state();
    EXPECT_EQ(s.Label1[Result].text, u"Резултат: 0/21 = 0%"_s);
    EXPECT_EQ(s.Label1[Verdict].text, u"Частично!"_s);
    EXPECT_TRUE(s.Label1[Verdict].visible);
    EXPECT_EQ(run.position(), 0);
    EXPECT_EQ(s.Text2[Question].text, u"Въпрос 3"_s);
    EXPECT_EQ(colourView(s), u"AL BL CL DL"_s);
    EXPECT_EQ(s.Picture1.background, red);
    EXPECT_EQ(s.Text2[Preview].text, QString());
    EXPECT_EQ(s.Text1[Help].text, noAnswer);
    EXPECT_FALSE(s.Command2[Grade].enabled);
    EXPECT_TRUE(s.Command2[Grade].visible);
    EXPECT_FALSE(s.Command1[Forward].visible);
    EXPECT_FALSE(s.Command1[Back].visible);
    EXPECT_FALSE(s.Command2[ResultsForward].visible);
    EXPECT_FALSE(s.Command2[ResultsBack].visible);
    EXPECT_TRUE(s.Shape1[Rest].visible);
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(s.Option1[std::size_t(i)].enabled) << "Option1(" << i << ")";
}

struct ScoreCase
{
    const char *name;
    BankSource source;
    std::vector<float> draws;
    // One character per position from 0: 'R' right (option A), 'W' wrong (option B), '-' unanswered.
    std::string answers;
    QString score;
};

std::string times(int count, char c)
{
    return std::string(std::size_t(count), c);
}

std::vector<ScoreCase> scores()
{
    // In these banks every answer order is "1234": option A holds the correct stored answer 1.
    const auto three = numberedSource(3, 4, settings(0, 0, 1, 0));
    const auto twenty = numberedSource(20, 4, settings(0, 0, 1, 0));
    const auto shipped = numberedSource(20, 4, shippedSettings());
    return {
        {"none of 3", three, {0.0f}, "---", u"Резултат: 0/3 = 0%"_s},
        {"2 of 3 gives 66", three, {0.0f}, "RRW", u"Резултат: 2/3 = 66%"_s},
        {"1 of 3 with one unanswered gives 33", three, {0.0f}, "RW-", u"Резултат: 1/3 = 33%"_s},
        {"all right", three, {0.0f}, "RRR", u"Резултат: 3/3 = 100%"_s},
        {"all wrong", three, {0.0f}, "WWW", u"Резултат: 0/3 = 0%"_s},
        {"15 of 20 gives 75", twenty, {0.1f}, times(15, 'R') + times(5, 'W'), u"Резултат: 15/20 = 75%"_s},
        {"15 of 20, mixed order", twenty, {0.1f}, "WRRRRRWRRRRRWRRRRRWW", u"Резултат: 15/20 = 75%"_s},
        {"7 of 21 gives 33", shipped, {0.0f}, times(7, 'R') + times(14, '-'), u"Резултат: 7/21 = 33%"_s},
        {"20 of 21 gives 95", shipped, {0.0f}, times(20, 'R') + "W", u"Резултат: 20/21 = 95%"_s},
        {"all 21 right", shipped, {0.0f}, times(21, 'R'), u"Резултат: 21/21 = 100%"_s},
    };
}

class Score : public testing::TestWithParam<ScoreCase>
{};

// The score is the count of rows "1" of the grading table, N and the percentage cut down to a whole
// number, appended to "Резултат: ".
TEST_P(Score, CountsRightAnswersAndCutsThePercentage)
{
    const ScoreCase &c = GetParam();
    StartedRun run(c.source, c.draws);
    for (std::size_t p = 0; p < c.answers.size(); ++p) {
        if (p > 0)
            run.forward();
        if (c.answers[p] == 'R')
            run.choose(0);
        else if (c.answers[p] == 'W')
            run.choose(1);
    }
    run.grade();
    EXPECT_EQ(run.state().Label1[Result].text, c.score);
}

INSTANTIATE_TEST_SUITE_P(Grading, Score, testing::ValuesIn(scores()), RowName());

// The fifth option takes part in results mode like the others: with the correct answer shown in box E,
// List2(4) records option 4, E turns green, and the next graded question resets it to light blue.
TEST(GradedView, FifthOptionShowsTheCorrectAnswerAndIsReset)
{
    // N = 3, x = 2: p0 shows bank question 3, p1 question 2. Draw 0.033 is row 33 of the 120 orders of
    // five: "23451" (24 orders start with 1; then 6 with 21, 2 with 231, 1 with 2341 before it), so the
    // correct stored answer 1 is in box E.
    StartedRun run(numberedSource(3, 5, settings(0, 0, 1, 1)), {0.0f, 0.033f, 0.033f, 0.033f});
    ASSERT_EQ(run.state().Text2[AnswerE].text, u"3-1"_s);
    EXPECT_EQ(run.table(CorrectOption).value(0), u"4"_s);
    run.choose(OptionA);
    run.forward();
    run.choose(OptionE);
    run.grade();
    EXPECT_EQ(colourView(run.state()), u"A*R BL CL DL EG"_s);
    run.resultsForward();
    EXPECT_EQ(colourView(run.state()), u"AL BL CL DL E*G"_s);
    run.resultsForward();
    EXPECT_EQ(colourView(run.state()), u"AL BL CL DL EL"_s);
}

// Grade can be used once: it disables itself, and results-mode Forward/Back never append again.
TEST(Grading, ScoreIsAppendedOnce)
{
    StartedRun run(resultsBank(0, 1, 1), resultsDraws);
    run.choose(3); // p0 right
    run.grade();
    EXPECT_EQ(run.state().Label1[Result].text, u"Резултат: 1/4 = 25%"_s);
    EXPECT_FALSE(run.state().Command2[Grade].enabled);
    run.resultsForward(2);
    run.resultsBack();
    EXPECT_EQ(run.state().Label1[Result].text, u"Резултат: 1/4 = 25%"_s);
}

struct VerdictCase
{
    const char *name;
    int toto;
    // Option chosen at positions 0, 1, 2; -1 leaves the position unanswered.
    std::vector<int> choices;
    QString verdict;
    bool shown;
};

std::vector<VerdictCase> verdicts()
{
    return {
        {"check on, the same answer both times", 1, {0, 0, 0}, u"Проверка - Да"_s, true},
        {"check on, a different answer the second time", 1, {1, 0, 0}, u"Вероятно!"_s, true},
        {"check on, both wrong but the same", 1, {2, 1, 2}, u"Проверка - Да"_s, true},
        {"check on, a question unanswered", 1, {0, -1, 0}, u"Частично!"_s, true},
        {"check on, question 1 unanswered", 1, {0, 0, -1}, u"Частично!"_s, true},
        {"check on, nothing answered", 1, {-1, -1, -1}, u"Частично!"_s, true},
        // Without the repeat, bank indexes 0 and 2 are different questions: "1-1" against "3-1".
        {"check off, all answered", 0, {0, 0, 0}, u"Вероятно!"_s, false},
        {"check off, a question unanswered", 0, {0, -1, 0}, u"Частично!"_s, false},
        // 2 is not 1, so no repeat is added, but above 0 the verdict is shown.
        {"check value 2: no repeat, verdict shown", 2, {0, 0, 0}, u"Вероятно!"_s, true},
    };
}

class ConsistencyVerdict : public testing::TestWithParam<VerdictCase>
{};

// The verdict is "Частично!" while any question is unanswered, otherwise "Проверка - Да" when the texts
// chosen for bank indexes 0 and N − 1 agree and "Вероятно!" when they differ; it is shown when setting
// row 2 is above 0. With the check on (2 stored questions, N = 3) bank index 2 is the repeat of
// question 1 at position 0, and question 1 itself is at position 2.
TEST_P(ConsistencyVerdict, IsShownAndWorded)
{
    const VerdictCase &c = GetParam();
    const int stored = c.toto == 1 ? 2 : 3;
    // 0.1 picks the prime 2 for N = 3 and would still end the shuffle (prime 3) if N were 4.
    StartedRun run(numberedSource(stored, 4, settings(0, c.toto, 1, 0)), {0.1f});
    ASSERT_EQ(run.values().QuestionCount, 3);
    for (int p = 0; p < 3; ++p) {
        if (p > 0)
            run.forward();
        if (c.choices[std::size_t(p)] >= 0)
            run.choose(c.choices[std::size_t(p)]);
    }
    run.grade();
    EXPECT_EQ(run.state().Label1[Verdict].text, c.verdict);
    EXPECT_EQ(run.state().Label1[Verdict].visible, c.shown);
}

INSTANTIATE_TEST_SUITE_P(Grading, ConsistencyVerdict, testing::ValuesIn(verdicts()), RowName());

// A wrong answer: the chosen button red, the correct one green, the rest light blue, the indicator red,
// the explanation lines each ending in CR LF. The repeat question explains itself with question 1's lines.
TEST(GradedView, WrongAnswerColoursAndExplanation)
{
    StartedRun run(resultsBank(0, 1, 0), resultsDraws);
    run.choose(0); // "3"
    run.grade();
    const FormState &s = run.state();
    EXPECT_EQ(s.Text2[Question].text, u"Колко е 2+2?"_s);
    EXPECT_EQ(shownAnswers(s), (QStringList{u"3"_s, u"5"_s, u"22"_s, u"4"_s}));
    EXPECT_EQ(colourView(s), u"A*R BL CL DG"_s);
    EXPECT_EQ(s.Picture1.background, red);
    EXPECT_EQ(s.Text1[Help].text, questionOneExplanation);
    EXPECT_EQ(run.engine.picture2(), tinyJpeg(1));
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(s.Option1[std::size_t(i)].enabled) << "Option1(" << i << ")";
}

// A right answer: its button green, the others light blue, the indicator green, the preview composed
// (phrase on; the question has no blank, so the whole text, the answer and blanks around it).
TEST(GradedView, RightAnswerColoursPreviewAndExplanation)
{
    StartedRun run(resultsBank(1, 1, 0), resultsDraws);
    run.choose(3); // "4"
    run.grade();
    const FormState &s = run.state();
    EXPECT_EQ(colourView(s), u"AL BL CL D*G"_s);
    EXPECT_EQ(s.Picture1.background, green);
    EXPECT_EQ(s.Text2[Preview].text, u"Колко е 2+2? 4 "_s);
    EXPECT_EQ(s.Text1[Help].text, questionOneExplanation);
}

// An unanswered question reveals nothing: no selection, no green, red indicator, the message.
TEST(GradedView, UnansweredRevealsNothing)
{
    StartedRun run(resultsBank(0, 1, 0), resultsDraws);
    run.forward();
    run.choose(0); // answers p1, leaves p0 open
    run.grade();
    const FormState &s = run.state();
    EXPECT_EQ(run.position(), 0);
    EXPECT_EQ(colourView(s), u"AL BL CL DL"_s);
    EXPECT_EQ(s.Picture1.background, red);
    EXPECT_EQ(s.Text1[Help].text, noAnswer);
}

struct DuplicateCase
{
    const char *name;
    int option;
    QString colours;
    std::optional<Rgb> indicator;
};

std::vector<DuplicateCase> duplicateChoices()
{
    return {
        {"copy at A", 0, u"A*G BL CG"_s, green},
        {"copy at C", 2, u"AL BL C*G"_s, green},
        {"wrong B", 1, u"AL B*R CG"_s, red},
    };
}

class DuplicatedCorrectText : public testing::TestWithParam<DuplicateCase>
{};

// With the correct text shown at A and C (C recorded as the correct option), choosing either copy
// is green; choosing B is red with C green.
TEST_P(DuplicatedCorrectText, IsGreenAtEitherIndex)
{
    const DuplicateCase &c = GetParam();
    StartedRun run(resultsBank(0, 1, 1), resultsDraws);
    run.forward();
    run.choose(c.option);
    run.grade();
    run.resultsForward();
    EXPECT_EQ(colourView(run.state()), c.colours);
    EXPECT_EQ(run.state().Picture1.background, c.indicator);
    EXPECT_EQ(run.state().Text1[Help].text, u"Всяко „да“ е вярно\r\n"_s);
}

INSTANTIATE_TEST_SUITE_P(GradedView, DuplicatedCorrectText, testing::ValuesIn(duplicateChoices()), RowName());

struct ExplanationCase
{
    const char *name;
    int explanations;
    int position;
    QString help;
};

std::vector<ExplanationCase> explanationViews()
{
    return {
        {"on, answered wrong (repeat)", 1, 0, questionOneExplanation},
        {"on, answered right", 1, 1, u"Всяко „да“ е вярно\r\n"_s},
        {"on, unanswered", 1, 2, noAnswer},
        {"on, question 1 itself", 1, 3, questionOneExplanation},
        {"off, answered wrong", 0, 0, QString()},
        {"off, answered right", 0, 1, QString()},
        {"off, unanswered", 0, 2, noAnswer},
        {"off, question 1 answered right", 0, 3, QString()},
    };
}

class Explanations : public testing::TestWithParam<ExplanationCase>
{};

// Setting row 4 above 0 shows the explanation lines for answered questions; at 0 the box stays empty
// for them; unanswered questions get the message either way.
TEST_P(Explanations, FollowSettingRowFour)
{
    const ExplanationCase &c = GetParam();
    StartedRun run(resultsBank(0, c.explanations, 1), resultsDraws);
    run.choose(0); // p0 "3", wrong
    run.forward();
    run.choose(2); // p1 "да", right
    run.forward(2);
    run.choose(1); // p3 "4", right; p2 stays open
    run.grade();
    run.resultsForward(c.position);
    ASSERT_EQ(run.position(), c.position);
    EXPECT_EQ(run.state().Text1[Help].text, c.help);
}

INSTANTIATE_TEST_SUITE_P(GradedView, Explanations, testing::ValuesIn(explanationViews()), RowName());

// The repeat question shows question 1's explanation, not the placeholder of its slot.
TEST(GradedView, RepeatQuestionShowsQuestionOneExplanation)
{
    StartedRun run(resultsBank(0, 1, 0), resultsDraws);
    ASSERT_EQ(run.table(QuestionOrder).value(0), u"3"_s); // position 0 is the repeat
    run.choose(3);
    run.grade();
    EXPECT_EQ(run.state().Text1[Help].text, questionOneExplanation);
    EXPECT_NE(run.state().Text1[Help].text, u"Обяснение 4\r\n"_s);
}

// An answered question whose explanation list has no rows leaves the help box empty.
TEST(GradedView, EmptyExplanationLeavesBoxEmpty)
{
    BankSource source;
    source.settings = settings(0, 0, 1, 0);
    source.questions = {question(u"Първи"_s, {u"а"_s, u"б"_s}, 0), question(u"Втори"_s, {u"а"_s, u"б"_s}, 0),
                        question(u"Трети"_s, {u"а"_s, u"б"_s}, 1)};
    StartedRun run(source, {0.0f});
    run.choose(1);
    run.grade();
    EXPECT_EQ(colourView(run.state()), u"AL B*G"_s);
    EXPECT_EQ(run.state().Text1[Help].text, QString());
}

struct NavigationCase
{
    const char *name;
    int navigation;
    bool shown;
};

std::vector<NavigationCase> navigationSettings()
{
    return {
        {"row 5 at 0 (shipped)", 0, false},
        {"row 5 at 1", 1, true},
        {"row 5 at 2 is not 1", 2, false},
    };
}

class NavigationSetting : public testing::TestWithParam<NavigationCase>
{};

// Results navigation is offered only when setting row 5 is exactly 1.
TEST_P(NavigationSetting, OfferedOnlyAtOne)
{
    const NavigationCase &c = GetParam();
    StartedRun run(resultsBank(0, 1, c.navigation), resultsDraws);
    run.grade();
    EXPECT_EQ(run.state().Command2[ResultsForward].visible, c.shown);
    EXPECT_EQ(run.state().Command2[ResultsBack].visible, c.shown);
    EXPECT_FALSE(run.state().Command1[Forward].visible);
    EXPECT_FALSE(run.state().Command1[Back].visible);
    EXPECT_EQ(run.position(), 0);
    EXPECT_EQ(run.state().Text2[Question].text, u"Колко е 2+2?"_s);
}

INSTANTIATE_TEST_SUITE_P(ResultsNavigation, NavigationSetting, testing::ValuesIn(navigationSettings()),
                         RowName());

// Results Forward and Back stop at both ends, and the position row follows the shown position:
// with N = 4 the done part at p = 3 is 50 + 10525 × 3 ÷ 4 = 7943.75.
TEST(ResultsNavigation, ForwardAndBackClampAtBothEnds)
{
    StartedRun run(resultsBank(0, 1, 1), resultsDraws);
    run.grade();
    run.resultsBack();
    EXPECT_EQ(run.position(), 0);
    EXPECT_EQ(run.state().Text2[Question].text, u"Колко е 2+2?"_s);
    EXPECT_FLOAT_EQ(run.state().Shape1[Done].width, 50.0f);
    run.resultsForward(3);
    EXPECT_EQ(run.position(), 3);
    EXPECT_EQ(shownAnswers(run.state()), (QStringList{u"5"_s, u"4"_s, u"3"_s, u"22"_s}));
    EXPECT_FLOAT_EQ(run.state().Shape1[Done].width, 7943.75f);
    run.resultsForward();
    EXPECT_EQ(run.position(), 3);
    EXPECT_EQ(run.state().Text2[Question].text, u"Колко е 2+2?"_s);
    EXPECT_FLOAT_EQ(run.state().Shape1[Done].width, 7943.75f);
    run.resultsBack();
    EXPECT_EQ(run.position(), 2);
    EXPECT_EQ(run.state().Text2[Question].text, u"Вярно ли е, че 1 > 2?"_s);
}

// Each graded display starts afresh: moving from a coloured, answered question to an unanswered one
// with fewer answers leaves no selection, colour or explanation behind, and hides the extra boxes.
TEST(ResultsNavigation, EachDisplayStartsFromScratch)
{
    StartedRun run(resultsBank(1, 1, 1), resultsDraws);
    run.choose(0); // p0 wrong
    run.grade();
    ASSERT_EQ(colourView(run.state()), u"A*R BL CL DG"_s);
    run.resultsForward(2); // p2, two answers, unanswered
    const FormState &s = run.state();
    EXPECT_EQ(colourView(s), u"AL BL"_s);
    EXPECT_EQ(shownAnswers(s), (QStringList{u"Не"_s, u"Да"_s}));
    for (int i = 2; i < 5; ++i) {
        EXPECT_FALSE(s.Option1[std::size_t(i)].visible) << "Option1(" << i << ")";
        EXPECT_FALSE(s.Text2[std::size_t(i + 1)].visible) << "Text2(" << i + 1 << ")";
    }
    EXPECT_EQ(s.Picture1.background, red);
    EXPECT_EQ(s.Text2[Preview].text, QString());
    EXPECT_EQ(s.Text1[Help].text, noAnswer);
    EXPECT_TRUE(run.engine.picture2().isEmpty());
}

// Showing questions after grading rewrites the stored answers with the same values: no table or
// counter changes, and positions never shown in test mode keep "-1" as their correct option.
TEST(ResultsNavigation, GradedViewChangesNoTable)
{
    StartedRun run(resultsBank(0, 1, 1), resultsDraws);
    run.choose(0);
    run.forward();
    run.choose(1);
    const QStringList chosen = {u"0"_s, u"1"_s, u"-1"_s, u"-1"_s};
    const QStringList grades = {u"0"_s, u"0"_s, u"-1"_s, u"-1"_s};
    const QStringList correct = {u"3"_s, u"2"_s, u"-1"_s, u"-1"_s};
    const QStringList firstAndLast = {u"Pyrwi"_s, u"3"_s};
    ASSERT_EQ(run.table(Chosen), chosen);
    ASSERT_EQ(run.table(Grades), grades);
    ASSERT_EQ(run.table(CorrectOption), correct);
    ASSERT_EQ(run.table(FirstAndLast), firstAndLast);
    run.grade();
    run.resultsForward(3);
    run.resultsBack(3);
    EXPECT_EQ(run.table(Chosen), chosen);
    EXPECT_EQ(run.table(Grades), grades);
    EXPECT_EQ(run.table(CorrectOption), correct);
    EXPECT_EQ(run.table(FirstAndLast), firstAndLast);
    EXPECT_EQ(run.values().AnsweredCount, 2);
    EXPECT_EQ(run.state().Label1[AnsweredCounter].text, u"Въведени отговори: 2/4"_s);
}

// A question whose correct text is none of its answers records no correct option, can only be wrong,
// and in results mode shows its chosen answer red with nothing green.
TEST(GradedView, CorrectTextMissingFromAnswersShowsNoGreen)
{
    BankSource source;
    source.settings = settings(0, 0, 1, 0);
    QuestionSource broken = question(u"Трети"_s, {u"А"_s, u"Б"_s}, 0);
    broken.correct = u"В"_s;
    source.questions = {question(u"Първи"_s, {u"а"_s, u"б"_s}, 0), question(u"Втори"_s, {u"а"_s, u"б"_s}, 0),
                        broken};
    StartedRun run(source, {0.0f});
    EXPECT_EQ(run.table(CorrectOption).value(0), u"-1"_s);
    run.choose(0);
    EXPECT_EQ(run.table(Grades).value(0), u"0"_s);
    run.grade();
    EXPECT_EQ(colourView(run.state()), u"A*R BL"_s);
    EXPECT_EQ(run.state().Picture1.background, red);
}

struct SpokenCase
{
    const char *name;
    std::function<void(StartedRun &)> act;
    QStringList options; // what each shown option is described by
    QString indicator;
    QString position;
    QString answered;
};

std::vector<SpokenCase> spokenStates()
{
    return {
        {"a fresh test",
         [](StartedRun &) {},
         {u"3"_s, u"5"_s, u"22"_s, u"4"_s},
         u"не"_s,
         u"въпрос 1 от 4"_s,
         u"въведени отговори 0 от 4"_s},
        // Before grading the colours say nothing of right and wrong, and neither do the words.
        {"chosen right before grading, its answer alone",
         [](StartedRun &run) { run.choose(3); },
         {u"3"_s, u"5"_s, u"22"_s, u"4"_s},
         u"да"_s,
         u"въпрос 1 от 4"_s,
         u"въведени отговори 1 от 4"_s},
        {"chosen wrong before grading, its answer alone",
         [](StartedRun &run) { run.choose(0); },
         {u"3"_s, u"5"_s, u"22"_s, u"4"_s},
         u"да"_s,
         u"въпрос 1 от 4"_s,
         u"въведени отговори 1 от 4"_s},
        {"graded, chosen right",
         [](StartedRun &run) {
             run.choose(3);
             run.grade();
         },
         {u"3"_s, u"5"_s, u"22"_s, u"4; избран; верен отговор"_s},
         u"верен"_s,
         u"въпрос 1 от 4"_s,
         u"въведени отговори 1 от 4"_s},
        {"graded, chosen wrong",
         [](StartedRun &run) {
             run.choose(0);
             run.grade();
         },
         {u"3; избран; грешен"_s, u"5"_s, u"22"_s, u"4; верен отговор"_s},
         u"грешен или без отговор"_s,
         u"въпрос 1 от 4"_s,
         u"въведени отговори 1 от 4"_s},
        {"graded, unanswered",
         [](StartedRun &run) { run.grade(); },
         {u"3"_s, u"5"_s, u"22"_s, u"4"_s},
         u"грешен или без отговор"_s,
         u"въпрос 1 от 4"_s,
         u"въведени отговори 0 от 4"_s},
        // Position 1 shows "да" twice; the copy at C is the one recorded as correct.
        {"graded, the second position",
         [](StartedRun &run) {
             run.choose(0);
             run.forward();
             run.choose(2);
             run.grade();
             run.resultsForward();
         },
         {u"да"_s, u"не"_s, u"да; избран; верен отговор"_s},
         u"верен"_s,
         u"въпрос 2 от 4"_s,
         u"въведени отговори 2 от 4"_s},
    };
}

class SpokenState : public testing::TestWithParam<SpokenCase>
{};

// What a screen reader is told of the options, the indicator and the strip says in words what their
// colours and lengths say.
TEST_P(SpokenState, SaysWhatTheColoursSay)
{
    const SpokenCase &c = GetParam();
    StartedRun run(resultsBank(0, 1, 1), resultsDraws);
    c.act(run);
    const Spoken spoken = spokenState(run.state(), run.values());
    const int shown = shownOptionCount(run.state());
    ASSERT_EQ(shown, c.options.size());
    EXPECT_EQ(QStringList(spoken.options.begin(), spoken.options.begin() + shown), c.options);
    EXPECT_EQ(spoken.indicator, c.indicator);
    EXPECT_EQ(spoken.position, c.position);
    EXPECT_EQ(spoken.answered, c.answered);
}

INSTANTIATE_TEST_SUITE_P(Screen, SpokenState, testing::ValuesIn(spokenStates()), RowName());

} // namespace
} // namespace morv::test
