// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up of the main window: the repeat question, the prime multiplier, the question and answer
// orders, the run tables and what the window shows right after loading.
#include "tests/support/enginehelpers.h"
#include "tests/support/rows.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace morv::test {
namespace {

using test::PrintTo;

// 20 questions of 4 answers with the shipped settings (consistency check on), like the real test.
BankSource shippedLike()
{
    return numberedSource(20, 4, shippedSettings());
}

// Check off, explanations on, results navigation off, phrase off.
BankSource checkOff(int count, int answers = 4)
{
    return numberedSource(count, answers, settings(0, 0, 1, 0));
}

QStringList numbers(std::initializer_list<int> values)
{
    QStringList rows;
    for (int v : values)
        rows.append(QString::number(v));
    return rows;
}

// With the check on, the 20 stored questions get the repeat of question 1 as the 21st, and the primes
// 23, 29 and 31 (not below 21) are removed from the end of the prime table.
TEST(StartupShippedBank, AppendsRepeatAndTrimsPrimesBelowTwentyOne)
{
    StartedRun run(shippedLike(), {0.0f});
    EXPECT_EQ(run.values().QuestionCount, 21);
    EXPECT_EQ(run.engine.MORV_Danni().List1(0).size(), 21);
    EXPECT_EQ(run.engine.MORV_Danni().List1(0).value(20), u"1-1"_s);
    EXPECT_EQ(run.table(Primes), numbers({2, 3, 5, 7, 11, 13, 17, 19}));
    EXPECT_EQ(run.random.seeds, 1);
}

struct MultiplierCase
{
    const char *name;
    std::vector<float> shuffleDraws;
    int multiplier;
    int primeRow;
};

std::vector<MultiplierCase> shippedMultipliers()
{
    return {
        {"0.0 gives row 0: prime 2", {0.0f}, 2, 0},
        {"0.2 gives row 2: prime 5", {0.2f}, 5, 2},
        {"0.25 gives 2.5, rounded to the even 2: prime 5", {0.25f}, 5, 2},
        {"0.4 gives row 4: prime 11", {0.4f}, 11, 4},
        {"0.5 gives row 5: prime 13", {0.5f}, 13, 5},
        {"0.6 gives row 6: prime 17", {0.6f}, 17, 6},
        {"0.7 gives row 7: prime 19", {0.7f}, 19, 7},
        {"0.75 gives 7.5, rounded to the even 8, mod 8 = row 0: prime 2", {0.75f}, 2, 0},
        {"0.8 gives 8 mod 8 = row 0: prime 2", {0.8f}, 2, 0},
        {"3 divides 21 and is drawn again, then 11", {0.1f, 0.4f}, 11, 4},
        {"7 divides 21 and is drawn again, then 17", {0.3f, 0.6f}, 17, 6},
        {"0.9 gives 9 mod 8 = row 1, prime 3, drawn again, then 19", {0.9f, 0.7f}, 19, 7},
        {"3, then 7, then 13", {0.1f, 0.3f, 0.5f}, 13, 5},
    };
}

class ShippedMultiplier : public testing::TestWithParam<MultiplierCase>
{};

// For N = 21 a draw r picks row (r × 10 rounded half to even) mod 8 of the primes 2..19; 3 and 7
// divide 21 and are drawn again; every other prime is reachable. The answer-order draws follow the
// shuffle's draws: the first one after them (0.0123 → row 12, "3124") is bank question 1's.
TEST_P(ShippedMultiplier, ComesFromTheDrawAndDivisorsAreDrawnAgain)
{
    const MultiplierCase &c = GetParam();
    std::vector<float> draws = c.shuffleDraws;
    draws.push_back(0.0123f);
    StartedRun run(shippedLike(), draws);
    EXPECT_EQ(run.values().ShuffleStep, c.multiplier);
    EXPECT_EQ(run.state().List2[Primes].selected, c.primeRow);
    EXPECT_EQ(run.random.drawn, c.shuffleDraws.size() + 21);
    // Position 0 shows bank index (1 × x) mod 21 = x.
    EXPECT_EQ(run.table(QuestionOrder).value(0), QString::number(c.multiplier));
    EXPECT_EQ(run.table(AnswerOrder).value(0), u"3124"_s);
}

INSTANTIATE_TEST_SUITE_P(StartupShippedBank, ShippedMultiplier, testing::ValuesIn(shippedMultipliers()),
                         RowName());

std::vector<MultiplierCase> checkOffMultipliers()
{
    return {
        {"0.1 gives row 1: prime 3", {0.1f}, 3, 1},
        {"0.3 gives row 3: prime 7", {0.3f}, 7, 3},
        {"0.4 gives row 4: prime 11", {0.4f}, 11, 4},
        {"0.5 gives row 5: prime 13", {0.5f}, 13, 5},
        {"0.6 gives row 6: prime 17", {0.6f}, 17, 6},
        {"0.7 gives row 7: prime 19", {0.7f}, 19, 7},
        {"2 divides 20 and is drawn again, then 3", {0.0f, 0.1f}, 3, 1},
        {"5 divides 20 and is drawn again, then 7", {0.2f, 0.3f}, 7, 3},
        {"0.25 rounds to the even 2, prime 5, drawn again, then 13", {0.25f, 0.5f}, 13, 5},
        {"0.8 gives row 0, prime 2, drawn again; 0.9 gives row 1: 3", {0.8f, 0.9f}, 3, 1},
    };
}

class CheckOffMultiplier : public testing::TestWithParam<MultiplierCase>
{};

// Check off: no repeat, N = 20, the primes 2..19 stay; 2 and 5 divide 20 and are drawn again, so the
// multiplier is one of 3, 7, 11, 13, 17, 19.
TEST_P(CheckOffMultiplier, AmongPrimesThatDoNotDivideTwenty)
{
    const MultiplierCase &c = GetParam();
    StartedRun run(checkOff(20), c.shuffleDraws);
    EXPECT_EQ(run.values().QuestionCount, 20);
    EXPECT_EQ(run.table(Primes), numbers({2, 3, 5, 7, 11, 13, 17, 19}));
    EXPECT_EQ(run.values().ShuffleStep, c.multiplier);
    EXPECT_EQ(run.state().List2[Primes].selected, c.primeRow);
    EXPECT_EQ(run.random.drawn, c.shuffleDraws.size() + 20);
}

INSTANTIATE_TEST_SUITE_P(StartupCheckOff, CheckOffMultiplier, testing::ValuesIn(checkOffMultipliers()),
                         RowName());

// With the check off the spare slot after the last question keeps its placeholders.
TEST(StartupCheckOff, NoRepeatQuestionIsAppended)
{
    StartedRun run(checkOff(20), {0.1f});
    const Bank &bank = run.engine.MORV_Danni();
    EXPECT_EQ(bank.List1(0).size(), 20);
    EXPECT_EQ(bank.List1(21), QStringList{u"List1(21) - въпрос от теста"_s});
    EXPECT_EQ(bank.Obqsnenie(21), QStringList{u"Обяснение 21"_s});
    EXPECT_TRUE(bank.Picture1(21).isEmpty());
}

struct DrawCase
{
    const char *name;
    float draw;
};

const DrawCase threeQuestionDraws[] = {
    {"draw 0", 0.0f}, {"draw 0.55", 0.55f}, {"draw 0.9", 0.9f}, {"draw 0.9999", 0.9999f}};

class ThreeQuestions : public testing::TestWithParam<DrawCase>
{};

// N = 3 leaves only the prime 2, whatever the draw, and the order 2, 1, 0 (question 3 first).
TEST_P(ThreeQuestions, OnlyPrimeTwoRemainsAndOrderIsTwoOneZero)
{
    StartedRun run(checkOff(3), {GetParam().draw, 0.0f, 0.0f, 0.0f});
    EXPECT_EQ(run.table(Primes), QStringList{u"2"_s});
    EXPECT_EQ(run.values().ShuffleStep, 2);
    EXPECT_EQ(run.table(QuestionOrder), numbers({2, 1, 0}));
    EXPECT_EQ(run.random.drawn, 4u);
    EXPECT_EQ(run.state().Text2[Question].text, u"Въпрос 3"_s);
}

INSTANTIATE_TEST_SUITE_P(StartupThreeQuestions, ThreeQuestions, testing::ValuesIn(threeQuestionDraws),
                         RowName());

// Two stored questions with the check on make N = 3: the repeat is bank index 2 and is shown first.
TEST(StartupThreeQuestions, TwoStoredQuestionsAndTheRepeatMakeThree)
{
    StartedRun run(numberedSource(2, 4, shippedSettings()), {0.0f});
    EXPECT_EQ(run.values().QuestionCount, 3);
    EXPECT_EQ(run.table(QuestionOrder), numbers({2, 1, 0}));
    EXPECT_EQ(run.state().Text2[Question].text, u"Въпрос 1"_s);
}

struct OrderCase
{
    const char *name;
    BankSource source;
    std::vector<float> draws;
    QStringList order;
    QString firstShown;
};

std::vector<OrderCase> questionOrders()
{
    return {
        {"N = 21, x = 2",
         shippedLike(),
         {0.0f},
         numbers({2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 0}),
         u"Въпрос 3"_s},
        {"N = 21, x = 5",
         shippedLike(),
         {0.2f},
         numbers({5, 10, 15, 20, 4, 9, 14, 19, 3, 8, 13, 18, 2, 7, 12, 17, 1, 6, 11, 16, 0}),
         u"Въпрос 6"_s},
        {"N = 20, x = 3",
         checkOff(20),
         {0.1f},
         numbers({3, 6, 9, 12, 15, 18, 1, 4, 7, 10, 13, 16, 19, 2, 5, 8, 11, 14, 17, 0}),
         u"Въпрос 4"_s},
        {"N = 5, x = 2", checkOff(5), {0.0f}, numbers({2, 4, 1, 3, 0}), u"Въпрос 3"_s},
        {"N = 5, x = 3", checkOff(5), {0.1f}, numbers({3, 1, 4, 2, 0}), u"Въпрос 4"_s},
        {"N = 4, 2 divides 4, x = 3", checkOff(4), {0.0f, 0.1f}, numbers({3, 2, 1, 0}), u"Въпрос 4"_s},
    };
}

class QuestionOrderRows : public testing::TestWithParam<OrderCase>
{};

// Row p of the question order is ((p + 1) × x) mod N; the last row is always 0 and position 0 shows
// bank question x + 1.
TEST_P(QuestionOrderRows, RowsAreMultiplesOfTheStepModuloN)
{
    const OrderCase &c = GetParam();
    StartedRun run(c.source, c.draws);
    EXPECT_EQ(run.table(QuestionOrder), c.order);
    EXPECT_EQ(run.state().Text2[Question].text, c.firstShown);
}

INSTANTIATE_TEST_SUITE_P(StartupQuestionOrder, QuestionOrderRows, testing::ValuesIn(questionOrders()),
                         RowName());

// With N = 21 and x = 2 the last position shows bank question 1 (the stored first question, not the repeat).
TEST(StartupQuestionOrder, LastPositionShowsBankQuestionOne)
{
    StartedRun run(shippedLike(), {0.0f});
    run.forward(20);
    EXPECT_EQ(run.position(), 20);
    EXPECT_EQ(run.state().Text2[Question].text, u"Въпрос 1"_s);
}

struct AnswerOrderCase
{
    const char *name;
    int answers;
    float draw;
    QString order;
};

std::vector<AnswerOrderCase> answerOrderDraws()
{
    return {
        {"2 answers, 0 gives row 0", 2, 0.0f, u"12"_s},
        {"2 answers, 0.0011 gives 1.1 → 1: row 1", 2, 0.0011f, u"21"_s},
        {"2 answers, 0.0625 gives 62.5 → even 62, mod 2 = row 0", 2, 0.0625f, u"12"_s},
        {"3 answers, 0.0049 gives 4.9 → 5: row 5", 3, 0.0049f, u"321"_s},
        {"3 answers, 0.0625 gives 62.5 → even 62, mod 6 = row 2", 3, 0.0625f, u"213"_s},
        {"3 answers, 0.999 gives 999, mod 6 = row 3", 3, 0.999f, u"231"_s},
        {"4 answers, 0.0123 gives 12.3 → 12: row 12", 4, 0.0123f, u"3124"_s},
        {"4 answers, 0.01 gives 10: row 10", 4, 0.01f, u"2413"_s},
        {"4 answers, 0.0234 gives 23.4 → 23: last row", 4, 0.0234f, u"4321"_s},
        {"4 answers, 0.0625 gives 62.5 → even 62, mod 24 = row 14", 4, 0.0625f, u"3214"_s},
        {"4 answers, 0.9999 gives 999.9 → 1000, mod 24 = row 16", 4, 0.9999f, u"3412"_s},
        {"5 answers, 0 gives row 0", 5, 0.0f, u"12345"_s},
        {"5 answers, 0.024 gives 24: first row starting with 2", 5, 0.024f, u"21345"_s},
        {"5 answers, 0.119 gives 119: last row", 5, 0.119f, u"54321"_s},
        {"5 answers, 0.5 gives 500, mod 120 = row 20", 5, 0.5f, u"15324"_s},
        {"5 answers, 0.1875 gives 187.5 → even 188, mod 120 = row 68", 5, 0.1875f, u"35214"_s},
    };
}

class AnswerOrderDraw : public testing::TestWithParam<AnswerOrderCase>
{};

// A question with n answers takes row (r × 1000 rounded half to even) mod n! of Poredica(n).
TEST_P(AnswerOrderDraw, RowOfThePermutationListFromTheDraw)
{
    const AnswerOrderCase &c = GetParam();
    // One shuffle draw, then bank questions 1, 2, 3 in turn.
    StartedRun run(checkOff(3, c.answers), {0.0f, c.draw, 0.0f, 0.0f});
    EXPECT_EQ(run.table(AnswerOrder).value(0), c.order);
    EXPECT_EQ(run.table(AnswerOrder).value(1), Bank::Poredica(c.answers).value(0));
}

INSTANTIATE_TEST_SUITE_P(StartupAnswerOrder, AnswerOrderDraw, testing::ValuesIn(answerOrderDraws()),
                         RowName());

// Each question uses the permutation list of its own answer count: 2, 3 and 5 answers side by side.
TEST(StartupAnswerOrder, MixedAnswerCountsUseTheirOwnLists)
{
    BankSource source;
    source.settings = settings(0, 0, 1, 0);
    source.questions = {question(u"Две"_s, {u"а"_s, u"б"_s}, 0),
                        question(u"Три"_s, {u"а"_s, u"б"_s, u"в"_s}, 0),
                        question(u"Пет"_s, {u"а"_s, u"б"_s, u"в"_s, u"г"_s, u"д"_s}, 0)};
    // 0.5 gives 500: mod 2 = row 0, mod 6 = row 2, mod 120 = row 20.
    StartedRun run(source, {0.0f, 0.5f, 0.5f, 0.5f});
    EXPECT_EQ(run.table(AnswerOrder), (QStringList{u"12"_s, u"213"_s, u"15324"_s}));
}

struct PermutationListCase
{
    const char *name;
    int n;
    int rows;
    QString first;
    QString last;
    int middleRow;
    QString middle;
};

std::vector<PermutationListCase> permutationLists()
{
    return {
        {"Poredica 2", 2, 2, u"12"_s, u"21"_s, 1, u"21"_s},
        {"Poredica 3", 3, 6, u"123"_s, u"321"_s, 3, u"231"_s},
        {"Poredica 4", 4, 24, u"1234"_s, u"4321"_s, 12, u"3124"_s},
        {"Poredica 5", 5, 120, u"12345"_s, u"54321"_s, 20, u"15324"_s},
    };
}

class PermutationList : public testing::TestWithParam<PermutationListCase>
{};

// Poredica(n) holds all n! orderings of 1..n in ascending order.
TEST_P(PermutationList, SizesFirstLastAndOneMiddleRow)
{
    const PermutationListCase &c = GetParam();
    const QStringList &rows = Bank::Poredica(c.n);
    ASSERT_EQ(rows.size(), c.rows);
    EXPECT_EQ(rows.first(), c.first);
    EXPECT_EQ(rows.last(), c.last);
    EXPECT_EQ(rows.value(c.middleRow), c.middle);
    // Ascending without repeats, and every row uses each digit 1..n once.
    for (qsizetype r = 1; r < rows.size(); ++r)
        EXPECT_LT(rows[r - 1], rows[r]) << "row " << r;
    for (const QString &row : rows) {
        QString sorted = row;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(sorted, c.first) << row.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(BankPermutations, PermutationList, testing::ValuesIn(permutationLists()), RowName());

// The repeat is bank question m + 1: text, answers, correct answer, picture and its description of
// question 1, and — where this program departs from the older one on purpose — question 1's
// explanation lines too.
TEST(StartupRepeatQuestion, CopiesQuestionOneIncludingItsExplanation)
{
    BankSource source;
    source.settings = shippedSettings();
    source.questions = {
        question(u"Първи въпрос?"_s, {u"а"_s, u"б"_s, u"в"_s}, 1, {u"ред 1"_s, u"ред 2"_s}, tinyJpeg(1)),
        question(u"Втори?"_s, {u"да"_s, u"не"_s}, 0, {u"само ред"_s}),
        question(u"Трети?"_s, {u"x"_s, u"y"_s, u"z"_s, u"w"_s}, 3, {u"трети ред"_s}, tinyJpeg(3)),
    };
    source.questions[0].pictureText = u"Триъгълник ABC"_s;
    ASSERT_EQ(bankOf(source).Obqsnenie(4), QStringList{u"Обяснение 4"_s}); // the placeholder before start-up
    // N = 4 leaves primes 2 and 3; 2 divides 4, so 0.1 (row 1) gives x = 3 and the order 3, 2, 1, 0.
    // Then the orders: question 1 "321", question 2 "12", question 3 "1234", the repeat "123".
    StartedRun run(source, {0.1f, 0.0049f, 0.0f, 0.0f, 0.0f});
    const Bank &bank = run.engine.MORV_Danni();
    EXPECT_EQ(run.values().QuestionCount, 4);
    EXPECT_EQ(bank.List1(4), (QStringList{u"Първи въпрос?"_s, u"а"_s, u"б"_s, u"в"_s}));
    EXPECT_EQ(bank.List1(0), (QStringList{u"б"_s, u"да"_s, u"w"_s, u"б"_s}));
    EXPECT_EQ(bank.Picture1(4), tinyJpeg(1));
    EXPECT_EQ(bank.Picture1(1), tinyJpeg(1));
    EXPECT_EQ(bank.Obqsnenie(4), (QStringList{u"ред 1"_s, u"ред 2"_s}));
    EXPECT_EQ(bank.Obqsnenie(1), (QStringList{u"ред 1"_s, u"ред 2"_s}));
    // The repeat draws its own answer order.
    EXPECT_EQ(run.table(AnswerOrder), (QStringList{u"321"_s, u"12"_s, u"1234"_s, u"123"_s}));
    // Position 0 shows bank index 3, the repeat, in its own order, with question 1's figure.
    EXPECT_EQ(run.state().Text2[Question].text, u"Първи въпрос?"_s);
    EXPECT_EQ(shownAnswers(run.state()), (QStringList{u"а"_s, u"б"_s, u"в"_s}));
    EXPECT_EQ(run.table(CorrectOption).value(0), u"1"_s);
    EXPECT_EQ(run.engine.picture2(), tinyJpeg(1));
    EXPECT_EQ(bank.pictureText(4), u"Триъгълник ABC"_s);
    EXPECT_EQ(run.engine.picture2Text(), u"Триъгълник ABC"_s);
}

// In the shipped-like bank the 21st explanation slot holds question 1's line, not "Обяснение 21".
TEST(StartupRepeatQuestion, ShippedLikeBankRepeatExplainsLikeQuestionOne)
{
    StartedRun run(shippedLike(), {0.0f});
    const Bank &bank = run.engine.MORV_Danni();
    EXPECT_EQ(bank.List1(21), (QStringList{u"Въпрос 1"_s, u"1-1"_s, u"1-2"_s, u"1-3"_s, u"1-4"_s}));
    EXPECT_EQ(bank.Obqsnenie(21), QStringList{u"Обяснение на 1"_s});
    EXPECT_EQ(bank.List1(22), QStringList{u"List1(22) - въпрос от теста"_s});
    EXPECT_EQ(bank.Obqsnenie(22), QStringList{u"Обяснение 22"_s});
}

struct InvariantCase
{
    const char *name;
    BankSource source;
    std::vector<float> draws;
    float afterwards;
    int questionCount;
    int answers;
    QString correctOptionAtPositionZero;
};

std::vector<InvariantCase> invariantRuns()
{
    return {
        // Orders "1234": the correct answer (stored 1) is option 0.
        {"shipped-like, N = 21", shippedLike(), {0.0f}, 0.0f, 21, 4, u"0"_s},
        // Orders from 0.5: 500 mod 24 = row 20, "4213": stored 1 is option 2.
        {"check off, N = 20", checkOff(20), {0.1f}, 0.5f, 20, 4, u"2"_s},
        // Orders from 0.5: 500 mod 120 = row 20, "15324": stored 1 is option 0.
        {"N = 3, five answers", checkOff(3, 5), {0.0f}, 0.5f, 3, 5, u"0"_s},
        // Orders from 0.0011: row 1, "21": stored 1 is option 1.
        {"N = 5, two answers", checkOff(5, 2), {0.1f}, 0.0011f, 5, 2, u"1"_s},
    };
}

class RunTableInvariants : public testing::TestWithParam<InvariantCase>
{};

// After start-up: five tables of N rows, the order a permutation ending in 0, nothing chosen or graded,
// only position 0 (just shown) has its correct option recorded, List2(6) as laid out, counters at 0.
TEST_P(RunTableInvariants, HoldAfterLoading)
{
    const InvariantCase &c = GetParam();
    StartedRun run(c.source, c.draws, c.afterwards);
    const int N = c.questionCount;
    ASSERT_EQ(run.values().QuestionCount, N);
    for (RunTable t : {Chosen, QuestionOrder, AnswerOrder, Grades, CorrectOption})
        EXPECT_EQ(run.table(t).size(), N) << "List2(" << t << ")";
    std::vector<int> order;
    for (const QString &row : run.table(QuestionOrder))
        order.push_back(row.toInt());
    EXPECT_EQ(order.back(), 0);
    std::sort(order.begin(), order.end());
    for (int b = 0; b < N; ++b)
        EXPECT_EQ(order[std::size_t(b)], b);
    EXPECT_EQ(run.table(Chosen), repeated(u"-1"_s, N));
    EXPECT_EQ(run.table(Grades), repeated(u"-1"_s, N));
    QStringList correctOptions = repeated(u"-1"_s, N);
    correctOptions[0] = c.correctOptionAtPositionZero;
    EXPECT_EQ(run.table(CorrectOption), correctOptions);
    for (const QString &row : run.table(AnswerOrder))
        EXPECT_TRUE(Bank::Poredica(c.answers).contains(row)) << row.toStdString();
    EXPECT_EQ(run.table(FirstAndLast), (QStringList{u"Pyrwi"_s, u"Posleden"_s}));
    EXPECT_EQ(run.values().AnsweredCount, 0);
    EXPECT_EQ(run.values().CurrentPosition, 0);
}

INSTANTIATE_TEST_SUITE_P(StartupRunTables, RunTableInvariants, testing::ValuesIn(invariantRuns()), RowName());

// Loading writes the title row into Label1(0), turns the indicator red, draws the strip from the
// Forward button's left edge (240) and shows the first question with nothing chosen.
TEST(StartupWindow, TitleIndicatorCounterAndFirstQuestion)
{
    StartedRun run(shippedLike(), {0.0f});
    const FormState &s = run.state();
    EXPECT_EQ(s.Label1[Title].text, u"МОРВ по Геометрия - ъгли в триъгълник"_s);
    EXPECT_EQ(s.Picture1.background, std::optional<Rgb>(Rgb{255, 0, 0}));
    EXPECT_EQ(s.Label1[AnsweredCounter].text, u"Въведени отговори: 0/21"_s);
    EXPECT_EQ(selectionView(s), u"A B C D"_s);
    EXPECT_EQ(s.Text2[Question].text, u"Въпрос 3"_s);
    EXPECT_EQ(shownAnswers(s), (QStringList{u"3-1"_s, u"3-2"_s, u"3-3"_s, u"3-4"_s}));
    EXPECT_EQ(s.picture2Source, 3);
}

class ControlRow : public testing::TestWithParam<ControlEntry>
{};

// The state's control in a row's slot carries the row's name, index, kind, place, visibility, colour
// and text.
TEST_P(ControlRow, ItsSlotIsNamedAndLaidOutLikeIt)
{
    const ControlEntry &entry = GetParam();
    const FormState state = FormState::fromLayout();
    const Control &control = entry.slot(state);
    EXPECT_EQ(control.name, entry.name.toString());
    EXPECT_EQ(control.index, entry.index);
    EXPECT_EQ(control.kind, entry.kind);
    EXPECT_EQ(pixelRect(control.left, control.top, control.width, control.height), pixelRect(entry));
    EXPECT_EQ(control.visible, entry.visible);
    EXPECT_EQ(control.background, entry.background);
    // The help box and the author's note get their texts from the program, not from the table.
    if (entry.name == u"Text1") {
        EXPECT_EQ(control.text, entry.index == Help ? helpText() : authorNote());
    } else {
        EXPECT_EQ(control.text, entry.text.toString());
    }
}

INSTANTIATE_TEST_SUITE_P(ControlTable, ControlRow, testing::ValuesIn(controlTable()),
                         [](const testing::TestParamInfo<ControlEntry> &row) {
                             return rowName(row.param.id().toStdString());
                         });

// Every row of the table of controls has a slot of its own in the state.
TEST(ControlTable, EveryRowHasItsOwnSlot)
{
    const FormState state = FormState::fromLayout();
    std::set<const Control *> slots;
    for (const ControlEntry &entry : controlTable())
        EXPECT_TRUE(slots.insert(&entry.slot(state)).second) << entry.id().toStdString();
    // Label1(0..4), Command1(0..1), Command2(0..2), Text2(0..6), Text1(0..1), Option1(0..4),
    // Shape1(0..1), Shape2(0..1), Frame1, Picture1, Picture2.
    EXPECT_EQ(slots.size(), 31u);
    EXPECT_EQ(state.List2[Primes].rows.join(u' '), u"2 3 5 7 11 13 17 19 23 29 31"_s);
    EXPECT_EQ(state.List2[FirstAndLast].rows, (QStringList{u"Pyrwi"_s, u"Posleden"_s}));
}

// The title is the whole of settings row 3, whatever it says.
TEST(StartupWindow, TitleIsTheWholeSettingsRow)
{
    StartedRun run(numberedSource(3, 4, settings(0, 0, 1, 0, u"Проверка по история - 7"_s)), {0.0f});
    EXPECT_EQ(run.state().Label1[Title].text, u"Проверка по история - 7"_s);
}

struct PhraseSettingCase
{
    const char *name;
    int phrase;
    bool visible;
};

const PhraseSettingCase phraseSettings[] = {
    {"phrase 0 (shipped)", 0, false}, {"phrase 1", 1, true}, {"phrase 2 is not on", 2, false}};

class PhraseSetting : public testing::TestWithParam<PhraseSettingCase>
{};

// The phrase preview is visible only with the phrase setting at 1, and empty after loading either way.
TEST_P(PhraseSetting, PreviewVisibleOnlyAtOne)
{
    const PhraseSettingCase &c = GetParam();
    StartedRun run(numberedSource(3, 4, settings(c.phrase, 0, 1, 0)), {0.0f});
    EXPECT_EQ(run.state().Text2[Preview].visible, c.visible);
    EXPECT_EQ(run.state().Text2[Preview].text, QString());
    // Only the setting 1 composes the phrase when an answer is chosen.
    run.choose(OptionA);
    EXPECT_EQ(run.state().Text2[Preview].text.isEmpty(), !c.visible);
}

INSTANTIATE_TEST_SUITE_P(StartupWindow, PhraseSetting, testing::ValuesIn(phraseSettings), RowName());

// Both strip rows start at the Forward button's left edge, 240; the first drawing (p = 0, a = 0) gives
// each done part 50 twips and each rest part from 290 to E = 9000 + 1575 − 50 = 10525, width 10235.
TEST(StartupWindow, ProgressStripLaidOutFromTheForwardButton)
{
    StartedRun run(shippedLike(), {0.0f});
    const FormState &s = run.state();
    for (const auto *row : {&s.Shape1, &s.Shape2}) {
        EXPECT_FLOAT_EQ((*row)[0].left, 240.0f);
        EXPECT_FLOAT_EQ((*row)[0].width, 50.0f);
        EXPECT_FLOAT_EQ((*row)[1].left, 290.0f);
        EXPECT_FLOAT_EQ((*row)[1].width, 10235.0f);
    }
    EXPECT_FLOAT_EQ(s.Shape1[Done].top, 3700.0f);
    EXPECT_FLOAT_EQ(s.Shape2[Done].top, 4000.0f);
}

} // namespace
} // namespace morv::test
