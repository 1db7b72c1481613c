// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Thousands of random sessions on several banks: whatever the examinee does, the run tables and the
// controls stay consistent. A failure prints the bank and the seed, so the walk can be replayed.
#include "engine/morvprazno.h"
#include "tests/support/scriptedrandom.h"
#include "tests/support/testbank.h"

#include <gtest/gtest.h>

#include <random>

using namespace Qt::Literals::StringLiterals;
using namespace morv;

namespace {

struct WalkBank
{
    const char *name;
    BankSource source;
};

BankSource mixedAnswers()
{
    BankSource source = test::numberedSource(7, 2, test::settings(0, 1, 1, 1));
    for (int k = 1; k < 7; k += 2)
        source.questions[std::size_t(k)] = test::numberedSource(k + 1, 5).questions[std::size_t(k)];
    source.questions[2].text = u"Попълнете ___ тук."_s;
    return source;
}

std::vector<WalkBank> walkBanks()
{
    BankSource phrase = test::numberedSource(5, 3, test::settings(1, 1, 1, 1));
    phrase.questions[0].text = u"I ___ a student."_s;
    phrase.questions[3].text = u"___"_s;
    return {
        {"shipped_like", test::numberedSource(20, 4)},
        {"three_questions", test::numberedSource(3, 4)},
        {"two_and_five_answers_navigation", mixedAnswers()},
        {"check_off", test::numberedSource(12, 3, test::settings(0, 0, 1, 1))},
        {"phrase_on_navigation", phrase},
    };
}

class Walk
{
public:
    Walk(const BankSource &source, unsigned seed) : m_source(source), m_rng(seed)
    {
        std::vector<float> draws;
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        for (int i = 0; i < 200; ++i)
            draws.push_back(std::min(unit(m_rng), 0.99999994f));
        m_random = std::make_unique<test::ScriptedRandom>(draws, 0.5f);
        m_form = std::make_unique<MORV_Prazno>(test::bankOf(source), *m_random, [] {});
        m_form->Form_Load();
        const int N = m_form->values().QuestionCount;
        m_chosen.assign(std::size_t(N), -1);
        m_graded = m_form->state().List2[Grades].rows;
    }

    void step()
    {
        const FormState &s = m_form->state();
        std::uniform_int_distribution<int> pick(0, 9);
        const int kind = pick(m_rng);
        if (kind <= 4) {
            std::vector<int> clickable;
            for (int i = 0; i < 5; ++i) {
                if (s.Option1[std::size_t(i)].visible && s.Option1[std::size_t(i)].enabled)
                    clickable.push_back(i);
            }
            if (!clickable.empty()) {
                const int c = clickable[std::size_t(m_rng() % clickable.size())];
                m_form->selectOption(c);
                m_chosen[std::size_t(m_form->values().CurrentPosition)] = c;
            }
        } else if (kind <= 7) {
            const qint16 index = qint16(m_rng() % 2);
            if (s.Command1[std::size_t(index)].visible)
                m_form->Command1_Click(index);
            else if (s.Command2[std::size_t(index + 1)].visible)
                m_form->Command2_Click(qint16(index + 1));
        } else if (kind == 8) {
            if (m_rng() % 8 == 0 && s.Command2[Grade].enabled) {
                m_form->Command2_Click(0);
                m_score = s.Label1[Result].text;
            }
        } else {
            m_form->autor_Click();
        }
        check();
    }

    void check()
    {
        const FormState &s = m_form->state();
        const RunValues &v = m_form->values();
        const Bank &bank = m_form->MORV_Danni();
        const int N = v.QuestionCount;
        for (int t = 0; t <= 4; ++t)
            ASSERT_EQ(s.List2[std::size_t(t)].count(), N) << "List2(" << t << ")";
        QStringList order = s.List2[QuestionOrder].rows;
        ASSERT_EQ(order.last(), u"0"_s);
        std::vector<bool> seen(std::size_t(N), false);
        for (const QString &row : order) {
            const int b = row.toInt();
            ASSERT_TRUE(b >= 0 && b < N && !seen[std::size_t(b)]) << "question order is not a permutation";
            seen[std::size_t(b)] = true;
        }
        ASSERT_GE(v.CurrentPosition, 0);
        ASSERT_LT(v.CurrentPosition, N);

        int answered = 0;
        for (int p = 0; p < N; ++p) {
            const QString graded = s.List2[Grades].row(p);
            if (m_graded[p] != u"-1"_s) {
                ASSERT_NE(graded, u"-1"_s) << "position " << p << " lost its answer";
            }
            answered += graded != u"-1"_s;
            ASSERT_EQ(s.List2[Chosen].row(p), QString::number(m_chosen[std::size_t(p)])) << "position " << p;
            if (m_chosen[std::size_t(p)] >= 0) {
                // The grade agrees with the answer text shown at the chosen option.
                const int b = s.List2[QuestionOrder].row(p).toInt();
                const int c = m_chosen[std::size_t(p)];
                const int stored = s.List2[AnswerOrder].row(b).mid(c, 1).toInt();
                const bool right = bank.List1(b + 1).value(stored) == bank.List1(0).value(b);
                ASSERT_EQ(graded, right ? u"1"_s : u"0"_s) << "position " << p;
            }
        }
        m_graded = s.List2[Grades].rows;
        ASSERT_EQ(v.AnsweredCount, answered);
        ASSERT_EQ(s.Label1[AnsweredCounter].text, u"Въведени отговори: %1/%2"_s.arg(answered).arg(N));

        int selected = 0;
        for (const Control &option : s.Option1) {
            selected += option.selected;
            ASSERT_TRUE(!option.selected || option.visible) << "a hidden option is selected";
        }
        ASSERT_LE(selected, 1);
        for (const auto *row : {&s.Shape1, &s.Shape2}) {
            ASSERT_GE((*row)[0].width, 0.0f);
            ASSERT_GE((*row)[1].width, 0.0f);
        }
        if (!m_score.isEmpty()) {
            ASSERT_FALSE(s.Command2[Grade].enabled);
            ASSERT_FALSE(s.Command1[Forward].visible);
            ASSERT_FALSE(s.Command1[Back].visible);
            for (const Control &option : s.Option1)
                ASSERT_FALSE(option.enabled);
            ASSERT_EQ(s.Label1[Result].text, m_score) << "the score was written again";
            ASSERT_EQ(s.Label1[Result].text.count(u'%'), 1);
        }
    }

private:
    BankSource m_source;
    std::mt19937 m_rng;
    std::unique_ptr<test::ScriptedRandom> m_random;
    std::unique_ptr<MORV_Prazno> m_form;
    std::vector<int> m_chosen;
    QStringList m_graded;
    QString m_score;
};

} // namespace

// Random clicks, steps, grading and Author keep every run-table and control invariant.
TEST(RandomWalk, KeepsEveryInvariant)
{
    for (const WalkBank &bank : walkBanks()) {
        for (unsigned seed = 1; seed <= 400; ++seed) {
            SCOPED_TRACE(testing::Message() << "bank " << bank.name << ", seed " << seed);
            Walk walk(bank.source, seed);
            ASSERT_NO_FATAL_FAILURE(walk.check());
            for (int event = 0; event < 60; ++event) {
                ASSERT_NO_FATAL_FAILURE(walk.step()) << "event " << event;
            }
        }
    }
}
