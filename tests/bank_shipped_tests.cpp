// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The test the program ships, read from the resources exactly as the program reads it at start. These
// checks of its content are skipped when a teacher has built the program with a test of their own.
#include "bank/bankreader.h"
#include "bank/picturecheck.h"
#include "tests/support/rows.h"
#include "tests/support/testbank.h"

#include <QImage>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace morv;

namespace {

// A line is a bare formula when it relates terms with "=" or "<" and has no words of its own: only
// point names, numbers and units, "ъгъл" for the angle sign and "и" between two formulas.
bool isBareFormula(const QString &line)
{
    if (!line.contains(u'=') && !line.contains(u'<'))
        return false;
    static const QStringList notation = {u"ъгъл"_s, u"см"_s, u"и"_s};
    QString word;
    for (const QChar c : line + u' ') {
        if (c.isLetter() && c.script() == QChar::Script_Cyrillic) {
            word.append(c.toLower());
        } else if (!word.isEmpty()) {
            if (!notation.contains(word))
                return false;
            word.clear();
        }
    }
    return true;
}

const Bank &shipped()
{
    static const BankLoad load = readEmbeddedBank(jpegDecodeProblem);
    if (!load.bank)
        ADD_FAILURE() << texts(load.problems).join(u'\n').toStdString();
    static const Bank empty;
    return load.bank ? *load.bank : empty;
}

class ShippedBank : public testing::Test
{
protected:
    void SetUp() override
    {
        if (const std::string mismatch = test::embeddedBankIsNotShipped(); !mismatch.empty())
            GTEST_SKIP() << mismatch;
    }
};

QStringList withOtherTitle()
{
    QStringList rows = test::shippedSettings();
    rows[Bank::TitleRow] = u"Контролна по химия - 7 клас"_s;
    return rows;
}

struct IdentityCase
{
    const char *name;
    BankSource source;
    bool shipped;
};

std::vector<IdentityCase> identities()
{
    return {
        {"shipped title, 20 questions", test::numberedSource(20, 4), true},
        {"shipped title, 20 questions of 3 answers, check off",
         test::numberedSource(20, 3, test::settings(0, 0, 1, 0, u"МОРВ по Геометрия - ъгли в триъгълник"_s)),
         true},
        {"shipped title, 19 questions", test::numberedSource(19, 4), false},
        {"shipped title, 21 questions", test::numberedSource(21, 4), false},
        {"another title, 20 questions", test::numberedSource(20, 4, withOtherTitle()), false},
    };
}

using test::PrintTo;

class IdentityRow : public testing::TestWithParam<IdentityCase>
{};

} // namespace

// The shipped test is told from a teacher's by its title and its twenty questions, whatever else changes.
TEST_P(IdentityRow, TitleAndQuestionCountTellTheShippedTest)
{
    const IdentityCase &c = GetParam();
    const std::string mismatch = test::shippedBankMismatch(test::bankOf(c.source));
    EXPECT_EQ(mismatch.empty(), c.shipped) << mismatch;
    if (!c.shipped) {
        EXPECT_NE(mismatch.find("not the shipped test"), std::string::npos) << mismatch;
    }
}

INSTANTIATE_TEST_SUITE_P(ShippedBankIdentity, IdentityRow, testing::ValuesIn(identities()), test::RowName());

// A teacher's own test is named by its title when the checks of the shipped one are skipped.
TEST(ShippedBankIdentity, MismatchNamesTheOtherTitle)
{
    EXPECT_NE(test::shippedBankMismatch(test::bankOf(test::numberedSource(20, 4, withOtherTitle())))
                  .find("Контролна по химия - 7 клас"),
              std::string::npos);
}

// Twenty questions of four answers each, with the shipped switches and title.
TEST_F(ShippedBank, HoldsTwentyQuestionsOfFourAnswers)
{
    const Bank &bank = shipped();
    EXPECT_EQ(bank.List2(), test::shippedSettings());
    ASSERT_EQ(bank.List1(0).size(), 20);
    for (int k = 1; k <= 20; ++k)
        EXPECT_EQ(bank.List1(k).size(), 5) << "question " << k;
    EXPECT_EQ(bank.List1(21), QStringList{u"List1(21) - въпрос от теста"_s});
    EXPECT_EQ(bank.Obqsnenie(21), QStringList{u"Обяснение 21"_s});
}

// The correct answer stands at the stored position the test was written with, and only there.
TEST_F(ShippedBank, KeepsTheCorrectAnswersAtTheirPositions)
{
    const int positions[20] = {2, 1, 1, 3, 4, 2, 1, 4, 2, 1, 1, 3, 1, 4, 4, 1, 1, 3, 2, 2};
    const Bank &bank = shipped();
    for (int k = 1; k <= 20; ++k) {
        const QStringList &question = bank.List1(k);
        EXPECT_EQ(question.value(positions[k - 1]), bank.List1(0).value(k - 1)) << "question " << k;
        EXPECT_EQ(question.mid(1).count(bank.List1(0).value(k - 1)), 1) << "question " << k;
        QStringList answers = question.mid(1);
        answers.removeDuplicates();
        EXPECT_EQ(answers.size(), 4) << "question " << k << " repeats an answer";
    }
}

// Question 1 is word for word the example the test was built around.
TEST_F(ShippedBank, QuestionOneAsWritten)
{
    const Bank &bank = shipped();
    EXPECT_EQ(
        bank.List1(1),
        (QStringList{
            u"В триъгълника ABC е построена т.M на страната AB. Ако AC = BC = AM и CM = MB то ъгъл ACM = ?"_s,
            u"50°"_s, u"72°"_s, u"60°"_s, u"64°"_s}));
    EXPECT_EQ(bank.List1(0).value(0), u"72°"_s);
    EXPECT_EQ(bank.Obqsnenie(1).size(), 17);
    EXPECT_FALSE(bank.Picture1(1).isEmpty());
}

// Question 15's first distractor keeps its two trailing blanks.
TEST_F(ShippedBank, KeepsTrailingBlanks)
{
    EXPECT_EQ(shipped().List1(15).value(1), u"13690 и 10680  "_s);
}

// Figures belong to every question but 2, 4 and 18; each decodes to the picture box's size.
TEST_F(ShippedBank, FiguresDecodeAndFitThePictureBox)
{
    const Bank &bank = shipped();
    for (int k = 0; k < Bank::PictureSlots; ++k) {
        const bool expected = k >= 1 && k <= 20 && k != 2 && k != 4 && k != 18;
        ASSERT_EQ(!bank.Picture1(k).isEmpty(), expected) << "picture " << k;
        if (!expected)
            continue;
        EXPECT_GE(bank.Picture1(k).size(), 2500) << "picture " << k;
        EXPECT_LE(bank.Picture1(k).size(), 7700) << "picture " << k;
        const QImage image = QImage::fromData(bank.Picture1(k), "JPG");
        ASSERT_FALSE(image.isNull()) << "picture " << k;
        EXPECT_EQ(image.size(), QSize(225, 137)) << "picture " << k;
    }
}

// Every worked solution has 1 to 18 lines, none of them empty.
TEST_F(ShippedBank, ExplanationsHaveOneToEighteenLines)
{
    const Bank &bank = shipped();
    for (int k = 1; k <= 20; ++k) {
        const QStringList &lines = bank.Obqsnenie(k);
        EXPECT_GE(lines.size(), 1) << "question " << k;
        EXPECT_LE(lines.size(), 18) << "question " << k;
        for (const QString &line : lines)
            EXPECT_FALSE(line.trimmed().isEmpty()) << "question " << k;
    }
}

// Explanation lines are punctuated one way: a sentence ends with a full stop (or with a colon when
// the next line carries on from it), a bare formula line ends with no mark at all.
TEST_F(ShippedBank, ExplanationSentencesEndWithAFullStopAndFormulasWithout)
{
    // The rule tells lines apart as a reader would.
    EXPECT_TRUE(isBareFormula(u"Ъгъл OAB = ъгъл A : 2 и ъгъл OBA = ъгъл B : 2"_s));
    EXPECT_TRUE(isBareFormula(u"S₁ = P . h = 156 . 89 = 13884 см²"_s));
    EXPECT_FALSE(isBareFormula(u"CL е ъглополовяща, затова ъгъл ACL = 60° : 2 = 30°"_s));
    EXPECT_FALSE(isBareFormula(u"Отговор: ъгъл ACM = 72°"_s));
    EXPECT_FALSE(isBareFormula(u"AO и BO са ъглополовящи."_s));

    const Bank &bank = shipped();
    int formulas = 0;
    int sentences = 0;
    for (int k = 1; k <= 20; ++k) {
        const QStringList &lines = bank.Obqsnenie(k);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QString &line = lines[i];
            const QString where = u"question %1, line %2: %3"_s.arg(k).arg(i + 1).arg(line);
            if (isBareFormula(line)) {
                ++formulas;
                EXPECT_FALSE(u".,:;"_s.contains(line.back())) << where.toStdString();
            } else if (line.endsWith(u':')) {
                EXPECT_LT(i + 1, lines.size()) << where.toStdString();
            } else {
                ++sentences;
                EXPECT_TRUE(line.endsWith(u'.')) << where.toStdString();
            }
        }
    }
    // Both kinds of line are there, so neither half of the rule holds by default.
    EXPECT_GT(formulas, 50);
    EXPECT_GT(sentences, 30);
}
