// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Test mode: showing a question, the progress strip and counter, answering, the phrase preview and
// Forward/Back, on small banks built here.
#include "tests/support/enginehelpers.h"
#include "tests/support/rows.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace morv::test {
namespace {

using test::PrintTo;

const std::optional<Rgb> red = Rgb{255, 0, 0};
const std::optional<Rgb> green = Rgb{0, 255, 0};

// Five questions, check off (N = 5), with 4, 2, 5, 4 and 3 answers. Question 4 has answers that
// differ from the correct "София" only by case or a trailing blank; question 5 carries its correct
// text "да" twice. Questions 2 and 5 have no figure.
BankSource fiveQuestions(int phrase = 0)
{
    BankSource source;
    source.settings = settings(phrase, 0, 1, 0);
    source.questions = {
        question(u"Колко е 2+2?"_s, {u"3"_s, u"5"_s, u"22"_s, u"4"_s}, 3, {u"2 + 2 = 4"_s}, tinyJpeg(1)),
        question(u"Вярно ли е, че 1 > 2?"_s, {u"Да"_s, u"Не"_s}, 1, {u"1 < 2"_s}),
        question(u"Избери буква Д"_s, {u"А"_s, u"Б"_s, u"В"_s, u"Г"_s, u"Д"_s}, 4, {u"Д"_s}, tinyJpeg(3)),
        question(u"Столицата е ___."_s, {u"София"_s, u"софия"_s, u"София "_s, u"Пловдив"_s}, 0, {u"София"_s},
                 tinyJpeg(4)),
        question(u"Две еднакви"_s, {u"да"_s, u"не"_s, u"да"_s}, 0, {u"да"_s}),
    };
    return source;
}

// Draw 0 gives x = 2 and the order 2, 4, 1, 3, 0. Answer orders: question 1 0.01 → row 10 "2413",
// question 2 0.0011 → row 1 "21", question 3 0.5 → 500 mod 120 = row 20 "15324",
// question 4 0.0123 → row 12 "3124", question 5 0.0049 → 5 mod 6 = row 5 "321".
const std::vector<float> fiveDraws = {0.0f, 0.01f, 0.0011f, 0.5f, 0.0123f, 0.0049f};

// What each position shows with those draws (worked out from the orders above):
//   p0 = bank question 3, "15324": А Д В Б Г, correct "Д" at option 1
//   p1 = bank question 5, "321":   да не да,   correct "да" at options 0 and 2, the higher one recorded
//   p2 = bank question 2, "21":    Не Да,      correct "Не" at option 0
//   p3 = bank question 4, "3124":  "София " "София" "софия" "Пловдив", correct at option 1
//   p4 = bank question 1, "2413":  5 4 3 22,   correct "4" at option 1

// Three questions, N = 3, order 2, 1, 0: position 0 shows bank question 3, whose text and answers the
// test chooses; answer orders are all "12..".
BankSource firstShown(const QString &text, const QStringList &answers, int phrase = 1)
{
    BankSource source;
    source.settings = settings(phrase, 0, 1, 0);
    source.questions = {question(u"Първи"_s, {u"а"_s, u"б"_s}, 0), question(u"Втори"_s, {u"а"_s, u"б"_s}, 0),
                        question(text, answers, 0)};
    return source;
}

// The first display: position 0's question in its answer order, nothing chosen, indicator red, empty
// preview, counter 0/N, both strip rows at their first length, the question's figure.
TEST(ShowQuestion, FirstDisplayAfterStartup)
{
    StartedRun run(fiveQuestions(), fiveDraws);
    const FormState &s = run.state();
    EXPECT_EQ(s.Text2[Question].text, u"Избери буква Д"_s);
    EXPECT_EQ(shownAnswers(s), (QStringList{u"А"_s, u"Д"_s, u"В"_s, u"Б"_s, u"Г"_s}));
    EXPECT_EQ(selectionView(s), u"A B C D E"_s);
    EXPECT_EQ(s.Picture1.background, red);
    EXPECT_EQ(s.Text2[Preview].text, QString());
    EXPECT_EQ(s.Label1[AnsweredCounter].text, u"Въведени отговори: 0/5"_s);
    EXPECT_FLOAT_EQ(s.Shape1[Done].width, 50.0f);
    EXPECT_FLOAT_EQ(s.Shape2[Done].width, 50.0f);
    EXPECT_EQ(run.table(CorrectOption), (QStringList{u"1"_s, u"-1"_s, u"-1"_s, u"-1"_s, u"-1"_s}));
    EXPECT_EQ(s.picture2Source, 3);
    EXPECT_EQ(run.engine.picture2(), tinyJpeg(3));
}

struct DisplayCase
{
    const char *name;
    int position;
    QString text;
    QStringList answers;
    QString correctOption;
    int pictureElement;
    bool hasPicture;
};

std::vector<DisplayCase> displays()
{
    return {
        {"5 answers, order 15324",
         0,
         u"Избери буква Д"_s,
         {u"А"_s, u"Д"_s, u"В"_s, u"Б"_s, u"Г"_s},
         u"1"_s,
         3,
         true},
        {"duplicated correct text, order 321",
         1,
         u"Две еднакви"_s,
         {u"да"_s, u"не"_s, u"да"_s},
         u"2"_s,
         5,
         false},
        {"2 answers, order 21", 2, u"Вярно ли е, че 1 > 2?"_s, {u"Не"_s, u"Да"_s}, u"0"_s, 2, false},
        {"trailing blank and case not equal, order 3124",
         3,
         u"Столицата е ___."_s,
         {u"София "_s, u"София"_s, u"софия"_s, u"Пловдив"_s},
         u"1"_s,
         4,
         true},
        {"order 2413, correct stored 4 at option B",
         4,
         u"Колко е 2+2?"_s,
         {u"5"_s, u"4"_s, u"3"_s, u"22"_s},
         u"1"_s,
         1,
         true},
    };
}

class Display : public testing::TestWithParam<DisplayCase>
{};

// Each position shows its bank question's answers in that question's order, one visible option button
// per answer and the rest hidden, and records the option carrying the correct text (exactly equal;
// the highest when duplicated).
TEST_P(Display, EachPositionInItsAnswerOrder)
{
    const DisplayCase &c = GetParam();
    StartedRun run(fiveQuestions(), fiveDraws);
    run.forward(c.position);
    const FormState &s = run.state();
    ASSERT_EQ(run.position(), c.position);
    EXPECT_EQ(s.Text2[Question].text, c.text);
    EXPECT_EQ(shownAnswers(s), c.answers);
    EXPECT_EQ(shownOptionCount(s), c.answers.size());
    for (int i = 0; i < 5; ++i) {
        const bool shown = i < c.answers.size();
        EXPECT_EQ(s.Option1[std::size_t(i)].visible, shown) << "Option1(" << i << ")";
        EXPECT_EQ(s.Text2[std::size_t(i + 1)].visible, shown) << "Text2(" << i + 1 << ")";
    }
    EXPECT_EQ(run.table(CorrectOption).value(c.position), c.correctOption);
    EXPECT_EQ(s.picture2Source, c.pictureElement);
    EXPECT_EQ(run.engine.picture2().isEmpty(), !c.hasPicture);
}

INSTANTIATE_TEST_SUITE_P(ShowQuestion, Display, testing::ValuesIn(displays()), RowName());

// Only shown positions get their correct option recorded; the others keep "-1".
TEST(ShowQuestion, CorrectOptionRecordedOnlyForShownPositions)
{
    StartedRun run(fiveQuestions(), fiveDraws);
    run.forward(2);
    EXPECT_EQ(run.table(CorrectOption), (QStringList{u"1"_s, u"2"_s, u"0"_s, u"-1"_s, u"-1"_s}));
}

// Moving from a question with a figure to one without empties the picture box.
TEST(ShowQuestion, PictureDisappearsForAQuestionWithoutOne)
{
    StartedRun run(fiveQuestions(), fiveDraws);
    ASSERT_EQ(run.engine.picture2(), tinyJpeg(3));
    run.forward();
    EXPECT_EQ(run.state().picture2Source, 5);
    EXPECT_TRUE(run.engine.picture2().isEmpty());
    run.forward(2);
    EXPECT_EQ(run.engine.picture2(), tinyJpeg(4));
    run.back();
    EXPECT_TRUE(run.engine.picture2().isEmpty());
}

// The first answer of a question records the option and its grade, raises the counter, leaves the
// answers row at its first length (one answer looks like none) and turns the indicator green.
TEST(Answering, FirstAnswerRecordsGradesAndCounts)
{
    StartedRun run(fiveQuestions(), fiveDraws);
    run.choose(0); // "А", wrong
    const FormState &s = run.state();
    EXPECT_EQ(run.table(Chosen), (QStringList{u"0"_s, u"-1"_s, u"-1"_s, u"-1"_s, u"-1"_s}));
    EXPECT_EQ(run.table(Grades), (QStringList{u"0"_s, u"-1"_s, u"-1"_s, u"-1"_s, u"-1"_s}));
    EXPECT_EQ(run.values().AnsweredCount, 1);
    EXPECT_EQ(s.Label1[AnsweredCounter].text, u"Въведени отговори: 1/5"_s);
    EXPECT_FLOAT_EQ(s.Shape2[Done].width, 50.0f);
    EXPECT_FLOAT_EQ(s.Shape2[Rest].left, 290.0f);
    EXPECT_FLOAT_EQ(s.Shape2[Rest].width, 10235.0f);
    EXPECT_EQ(s.Picture1.background, green);
    EXPECT_EQ(selectionView(s), u"A* B C D E"_s);
}

// Changing an answer overwrites the option and the grade but does not count the question again.
TEST(Answering, ChangingAnAnswerOverwritesWithoutCounting)
{
    StartedRun run(fiveQuestions(), fiveDraws);
    run.choose(0); // "А", wrong
    run.choose(1); // "Д", right
    EXPECT_EQ(run.table(Chosen).value(0), u"1"_s);
    EXPECT_EQ(run.table(Grades).value(0), u"1"_s);
    EXPECT_EQ(run.values().AnsweredCount, 1);
    EXPECT_EQ(run.state().Label1[AnsweredCounter].text, u"Въведени отговори: 1/5"_s);
    EXPECT_EQ(selectionView(run.state()), u"A B* C D E"_s);
    EXPECT_EQ(run.state().Picture1.background, green);
}

// With N = 5 and E = 10525 each new answer after the first lengthens the answers row by 2105;
// changing an answer or moving leaves the row and the counter alone.
TEST(Answering, AnswersRowGrowsOnlyOnFirstAnswers)
{
    StartedRun run(fiveQuestions(), fiveDraws);
    const FormState &s = run.state();
    run.choose(0);
    run.forward();
    run.choose(1);
    EXPECT_EQ(s.Label1[AnsweredCounter].text, u"Въведени отговори: 2/5"_s);
    EXPECT_FLOAT_EQ(s.Shape2[Done].width, 2155.0f);
    EXPECT_FLOAT_EQ(s.Shape2[Rest].left, 2395.0f);
    EXPECT_FLOAT_EQ(s.Shape2[Rest].width, 8130.0f);
    run.choose(0); // a change
    EXPECT_EQ(run.values().AnsweredCount, 2);
    EXPECT_EQ(s.Label1[AnsweredCounter].text, u"Въведени отговори: 2/5"_s);
    EXPECT_FLOAT_EQ(s.Shape2[Done].width, 2155.0f);
    run.forward();
    run.choose(0);
    EXPECT_EQ(s.Label1[AnsweredCounter].text, u"Въведени отговори: 3/5"_s);
    EXPECT_FLOAT_EQ(s.Shape2[Done].width, 4260.0f);
    EXPECT_FLOAT_EQ(s.Shape2[Rest].left, 4500.0f);
    EXPECT_FLOAT_EQ(s.Shape2[Rest].width, 6025.0f);
    run.back(2);
    EXPECT_EQ(run.values().AnsweredCount, 3);
    EXPECT_EQ(s.Label1[AnsweredCounter].text, u"Въведени отговори: 3/5"_s);
    EXPECT_FLOAT_EQ(s.Shape2[Done].width, 4260.0f);
    EXPECT_FLOAT_EQ(s.Shape1[Done].width, 50.0f);
}

// Returning to an answered question selects its option again and shows green without counting;
// an unanswered one shows no selection, red, and an empty preview.
TEST(Answering, ReturningRestoresTheStoredAnswer)
{
    StartedRun run(fiveQuestions(), fiveDraws);
    run.choose(1);
    run.forward();
    EXPECT_EQ(selectionView(run.state()), u"A B C"_s);
    EXPECT_EQ(run.state().Picture1.background, red);
    EXPECT_EQ(run.state().Text2[Preview].text, QString());
    run.back();
    EXPECT_EQ(selectionView(run.state()), u"A B* C D E"_s);
    EXPECT_EQ(run.state().Picture1.background, green);
    EXPECT_EQ(run.values().AnsweredCount, 1);
    EXPECT_EQ(run.table(Chosen), (QStringList{u"1"_s, u"-1"_s, u"-1"_s, u"-1"_s, u"-1"_s}));
    EXPECT_EQ(run.table(Grades), (QStringList{u"1"_s, u"-1"_s, u"-1"_s, u"-1"_s, u"-1"_s}));
}

struct FirstLastCase
{
    const char *name;
    int position;
    std::vector<int> choices;
    QStringList firstAndLast;
};

std::vector<FirstLastCase> firstAndLastAnswers()
{
    return {
        {"bank index 0 (position 4), option A", 4, {0}, {u"5"_s, u"Posleden"_s}},
        {"bank index 0 changed to option B", 4, {0, 1}, {u"4"_s, u"Posleden"_s}},
        {"bank index 4 = N - 1 (position 1), option B", 1, {1}, {u"Pyrwi"_s, u"не"_s}},
        {"bank index 4, duplicated correct text at option A", 1, {0}, {u"Pyrwi"_s, u"да"_s}},
        {"bank index 1 (position 2) leaves both", 2, {0}, {u"Pyrwi"_s, u"Posleden"_s}},
        {"bank index 2 (position 0) leaves both", 0, {4}, {u"Pyrwi"_s, u"Posleden"_s}},
    };
}

class FirstAndLastAnswers : public testing::TestWithParam<FirstLastCase>
{};

// The answer text chosen for bank index 0 goes to row 0 of List2(6), for bank index N − 1 to row 1;
// other questions leave both rows; a later choice overwrites.
TEST_P(FirstAndLastAnswers, AreKept)
{
    const FirstLastCase &c = GetParam();
    StartedRun run(fiveQuestions(), fiveDraws);
    run.forward(c.position);
    for (int option : c.choices)
        run.choose(option);
    EXPECT_EQ(run.table(FirstAndLast), c.firstAndLast);
}

INSTANTIATE_TEST_SUITE_P(Answering, FirstAndLastAnswers, testing::ValuesIn(firstAndLastAnswers()), RowName());

struct GradeCase
{
    const char *name;
    int position;
    int option;
    QString grade;
};

std::vector<GradeCase> exactGrades()
{
    return {
        {"\"София \" with a trailing blank", 3, 0, u"0"_s}, {"\"София\" exactly", 3, 1, u"1"_s},
        {"\"софия\" in lower case", 3, 2, u"0"_s},          {"\"Пловдив\", another town", 3, 3, u"0"_s},
        {"duplicate \"да\" at option A", 1, 0, u"1"_s},     {"\"не\" between the duplicates", 1, 1, u"0"_s},
        {"duplicate \"да\" at option C", 1, 2, u"1"_s},     {"two answers, \"Не\" right", 2, 0, u"1"_s},
        {"two answers, \"Да\" wrong", 2, 1, u"0"_s},
    };
}

class ExactGrade : public testing::TestWithParam<GradeCase>
{};

// The grade compares the chosen text with the correct text exactly: a trailing blank or another
// letter case is wrong; with the correct text shown twice, either copy is right.
TEST_P(ExactGrade, ComparesTheTextsExactly)
{
    const GradeCase &c = GetParam();
    StartedRun run(fiveQuestions(), fiveDraws);
    run.forward(c.position);
    run.choose(c.option);
    EXPECT_EQ(run.table(Grades).value(c.position), c.grade);
    EXPECT_EQ(run.table(Chosen).value(c.position), QString::number(c.option));
}

INSTANTIATE_TEST_SUITE_P(Answering, ExactGrade, testing::ValuesIn(exactGrades()), RowName());

struct StripCase
{
    const char *name;
    int count;
    float doneWidth;
    float restLeft;
    float restWidth;
};

// Worked values for N = 20, E = 10525, left edge 240: done = 50 + E × count ÷ 20, rest from there to E.
const StripCase twentyStrip[] = {
    {"count 0", 0, 50.0f, 290.0f, 10235.0f},
    {"count 1", 1, 576.25f, 816.25f, 9708.75f},
    {"count 10", 10, 5312.5f, 5552.5f, 4972.5f},
    {"count 19", 19, 10048.75f, 10288.75f, 236.25f},
};

BankSource twentyQuestions()
{
    return numberedSource(20, 4, settings(0, 0, 1, 0));
}

class PositionRow : public testing::TestWithParam<StripCase>
{};

// The position row follows p: its done part is 50 + E × p ÷ N.
TEST_P(PositionRow, ForTwentyQuestions)
{
    const StripCase &c = GetParam();
    StartedRun run(twentyQuestions(), {0.1f});
    run.forward(c.count);
    const FormState &s = run.state();
    EXPECT_FLOAT_EQ(s.Shape1[Done].left, 240.0f);
    EXPECT_FLOAT_EQ(s.Shape1[Done].width, c.doneWidth);
    EXPECT_FLOAT_EQ(s.Shape1[Rest].left, c.restLeft);
    EXPECT_FLOAT_EQ(s.Shape1[Rest].width, c.restWidth);
    EXPECT_EQ(s.Label1[AnsweredCounter].text, u"Въведени отговори: 0/20"_s);
}

INSTANTIATE_TEST_SUITE_P(ProgressStrip, PositionRow, testing::ValuesIn(twentyStrip), RowName());

struct AnsweredStripCase
{
    const char *name;
    int answered;
    StripCase expected;
};

const AnsweredStripCase answeredStrips[] = {
    {"a = 0", 0, twentyStrip[0]},   {"a = 1", 1, twentyStrip[0]},   {"a = 2", 2, twentyStrip[1]},
    {"a = 11", 11, twentyStrip[2]}, {"a = 20", 20, twentyStrip[3]},
};

class AnswersRow : public testing::TestWithParam<AnsweredStripCase>
{};

// The answers row counts one less than the answers once there is one: a = 0 and a = 1 look alike,
// a = 2 is one step, a = 20 reaches the last step.
TEST_P(AnswersRow, ForTwentyQuestions)
{
    const AnsweredStripCase &c = GetParam();
    StartedRun run(twentyQuestions(), {0.1f});
    for (int i = 0; i < c.answered; ++i) {
        if (i > 0)
            run.forward();
        run.choose(0);
    }
    const FormState &s = run.state();
    EXPECT_EQ(run.values().AnsweredCount, c.answered);
    EXPECT_EQ(s.Label1[AnsweredCounter].text, u"Въведени отговори: %1/20"_s.arg(c.answered));
    EXPECT_FLOAT_EQ(s.Shape2[Done].left, 240.0f);
    EXPECT_FLOAT_EQ(s.Shape2[Done].width, c.expected.doneWidth);
    EXPECT_FLOAT_EQ(s.Shape2[Rest].left, c.expected.restLeft);
    EXPECT_FLOAT_EQ(s.Shape2[Rest].width, c.expected.restWidth);
}

INSTANTIATE_TEST_SUITE_P(ProgressStrip, AnswersRow, testing::ValuesIn(answeredStrips), RowName());

// With 39 questions E ÷ N is below 290, so at the last count the rest part would be negative
// (10525 − 240 − 50 − 10525 × 38 ÷ 39 ≈ −20.13): it is drawn with width 0 instead.
TEST(ProgressStrip, RestWidthThatWouldBeNegativeIsZero)
{
    // Check off, so 39 questions fit the 39 question slots; built without the bank check.
    StartedRun run(numberedSource(39, 2, settings(0, 0, 1, 0)), {0.0f});
    ASSERT_EQ(run.values().QuestionCount, 39);
    const FormState &s = run.state();
    run.forward(37);
    // 50 + 10525 × 37 ÷ 39 = 10035.256..., rest 10525 − 10275.256... = 249.74...
    EXPECT_NEAR(s.Shape1[Done].width, 10035.256f, 0.01f);
    EXPECT_NEAR(s.Shape1[Rest].width, 249.744f, 0.01f);
    run.forward();
    ASSERT_EQ(run.position(), 38);
    // 50 + 10525 × 38 ÷ 39 = 10305.128...
    EXPECT_NEAR(s.Shape1[Done].width, 10305.128f, 0.01f);
    EXPECT_FLOAT_EQ(s.Shape1[Rest].width, 0.0f);
}

struct PhraseCase
{
    const char *name;
    QString question;
    QString answer;
    QString preview;
};

std::vector<PhraseCase> phraseBlanks()
{
    return {
        {"blank in the middle", u"I ___ a student."_s, u"am"_s, u"I  am a student."_s},
        {"blank at the start", u"___ is red."_s, u"It"_s, u" It is red."_s},
        {"blank at the end", u"The answer is ___"_s, u"42"_s, u"The answer is  42 "_s},
        {"character after the blank dropped", u"x___,y"_s, u"42"_s, u"x 42 y"_s},
        {"only the first of two blanks", u"a ___ b ___ c"_s, u"X"_s, u"a  X b ___ c"_s},
        {"Cyrillic sentence", u"Аз ___ ученик."_s, u"съм"_s, u"Аз  съм ученик."_s},
        {"a single low line between words", u"Той_тича"_s, u"бързо"_s, u"Той бързо ича"_s},
        {"no blank at all: the whole text, the answer, blanks around it", u"Без празно място"_s, u"да"_s,
         u"Без празно място да "_s},
        // "😀" is two UTF-16 units: both go, never one half.
        {"a character beyond the basic plane after the blank", u"x___😀y"_s, u"42"_s, u"x 42 y"_s},
        {"a character beyond the basic plane ending the text", u"x___😀"_s, u"42"_s, u"x 42 "_s},
    };
}

class PhraseBlank : public testing::TestWithParam<PhraseCase>
{};

// The preview is the text before the first run of "_", a space, the answer, a space, and the text
// after the character that follows the run (that character is dropped).
TEST_P(PhraseBlank, FillsTheFirstBlank)
{
    const PhraseCase &c = GetParam();
    StartedRun run(firstShown(c.question, {c.answer, u"друго"_s}), {0.0f});
    ASSERT_EQ(run.state().Text2[Question].text, c.question);
    ASSERT_EQ(run.state().Text2[AnswerA].text, c.answer);
    run.choose(0);
    EXPECT_EQ(run.state().Text2[Preview].text, c.preview);
    EXPECT_TRUE(run.state().Text2[Preview].visible);
}

INSTANTIATE_TEST_SUITE_P(PhrasePreview, PhraseBlank, testing::ValuesIn(phraseBlanks()), RowName());

// The preview follows every choice, is emptied by moving on and composed again when returning.
TEST(PhrasePreview, RecomposedOnChangeAndOnReturn)
{
    StartedRun run(firstShown(u"I ___ a student."_s, {u"am"_s, u"is"_s}), {0.0f});
    run.choose(0);
    EXPECT_EQ(run.state().Text2[Preview].text, u"I  am a student."_s);
    run.choose(1);
    EXPECT_EQ(run.state().Text2[Preview].text, u"I  is a student."_s);
    run.forward();
    EXPECT_EQ(run.state().Text2[Preview].text, QString());
    run.back();
    EXPECT_EQ(run.state().Text2[Preview].text, u"I  is a student."_s);
    EXPECT_EQ(run.values().AnsweredCount, 1);
}

// With the phrase setting off the preview stays empty whatever is chosen.
TEST(PhrasePreview, PhraseSettingOffLeavesPreviewEmpty)
{
    StartedRun run(firstShown(u"I ___ a student."_s, {u"am"_s, u"is"_s}, 0), {0.0f});
    run.choose(0);
    EXPECT_EQ(run.state().Text2[Preview].text, QString());
    EXPECT_FALSE(run.state().Text2[Preview].visible);
    run.forward();
    run.back();
    EXPECT_EQ(run.state().Text2[Preview].text, QString());
}

// Back at the first position keeps position 0 and shows the same question again.
TEST(Navigation, BackAtTheStartStays)
{
    StartedRun run(fiveQuestions(), fiveDraws);
    run.choose(1);
    run.back();
    EXPECT_EQ(run.position(), 0);
    EXPECT_EQ(run.state().Text2[Question].text, u"Избери буква Д"_s);
    EXPECT_EQ(selectionView(run.state()), u"A B* C D E"_s);
    EXPECT_FLOAT_EQ(run.state().Shape1[Done].width, 50.0f);
    EXPECT_EQ(run.values().AnsweredCount, 1);
}

// Forward at the last position keeps it, shows the last question again with its answer and preview.
TEST(Navigation, ForwardAtTheEndStays)
{
    StartedRun run(firstShown(u"Трети"_s, {u"а"_s, u"б"_s}), {0.0f});
    run.forward(2);
    ASSERT_EQ(run.position(), 2);
    EXPECT_EQ(run.state().Text2[Question].text, u"Първи"_s);
    run.choose(1);
    const QString preview = run.state().Text2[Preview].text; // no "_": "Първи б "
    EXPECT_EQ(preview, u"Първи б "_s);
    run.forward();
    EXPECT_EQ(run.position(), 2);
    EXPECT_EQ(run.state().Text2[Question].text, u"Първи"_s);
    EXPECT_EQ(selectionView(run.state()), u"A B*"_s);
    EXPECT_EQ(run.state().Text2[Preview].text, u"Първи б "_s);
    EXPECT_EQ(run.state().Label1[AnsweredCounter].text, u"Въведени отговори: 1/3"_s);
    // 50 + 10525 × 2 ÷ 3 = 7066.67
    EXPECT_NEAR(run.state().Shape1[Done].width, 7066.667f, 0.01f);
}

// Forward and Back walk the shuffled order (2, 1, 0 for N = 3), not the bank order.
TEST(Navigation, ForwardAndBackFollowTheShuffledOrder)
{
    StartedRun run(firstShown(u"Трети"_s, {u"а"_s, u"б"_s}), {0.0f});
    EXPECT_EQ(run.state().Text2[Question].text, u"Трети"_s);
    run.forward();
    EXPECT_EQ(run.state().Text2[Question].text, u"Втори"_s);
    run.forward();
    EXPECT_EQ(run.state().Text2[Question].text, u"Първи"_s);
    run.back();
    EXPECT_EQ(run.position(), 1);
    EXPECT_EQ(run.state().Text2[Question].text, u"Втори"_s);
}

// An index other than Forward or Back leaves the position and shows the same question again.
TEST(Navigation, OtherIndexKeepsPosition)
{
    StartedRun run(fiveQuestions(), fiveDraws);
    run.forward();
    run.engine.Command1_Click(2);
    EXPECT_EQ(run.position(), 1);
    EXPECT_EQ(run.state().Text2[Question].text, u"Две еднакви"_s);
}

// The handlers that take an index do nothing outside their arrays: no option 5 graded against the
// preview box, no option 6 read past the boxes, no other button or menu entry.
TEST(Handlers, IndicesOutsideTheirArraysChangeNothing)
{
    StartedRun run(fiveQuestions(1), fiveDraws);
    run.choose(OptionB);
    auto snapshot = [&run] {
        QStringList parts{selectionView(run.state()), run.state().Text2[Preview].text,
                          QString::number(run.values().AnsweredCount), QString::number(run.position())};
        for (const StringList &table : run.state().List2)
            parts.append(table.rows.join(u','));
        return parts;
    };
    const QStringList before = snapshot();
    for (int index : {-1, 5, 6})
        run.engine.Option1_Click(qint16(index));
    run.engine.Command2_Click(3);
    run.engine.izhod_Click(1);
    EXPECT_EQ(snapshot(), before);
    EXPECT_FALSE(run.engine.ended());
}

// Exit unloads the data window, then ends the program once.
TEST(Handlers, ExitUnloadsTheBank)
{
    int ends = 0;
    ScriptedRandom random({0.0f});
    MORV_Prazno engine(bankOf(fiveQuestions()), random, [&ends] { ++ends; });
    engine.Form_Load();
    ASSERT_FALSE(engine.picture2().isEmpty());
    engine.izhod_Click(0);
    EXPECT_EQ(ends, 1);
    EXPECT_TRUE(engine.ended());
    EXPECT_TRUE(engine.MORV_Danni().List2().isEmpty());
    EXPECT_TRUE(engine.MORV_Danni().List1(0).isEmpty());
    EXPECT_TRUE(engine.MORV_Danni().List1(1).isEmpty());
    EXPECT_TRUE(engine.MORV_Danni().Obqsnenie(0).isEmpty());
    EXPECT_TRUE(engine.picture2().isEmpty());
}

} // namespace
} // namespace morv::test
