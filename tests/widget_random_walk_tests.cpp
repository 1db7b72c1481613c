// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Random sessions driven through the real widgets, offscreen: after every click the widgets show
// exactly the engine's state and the engine's counts stay consistent. Failures print bank and seed.
#include "tests/widget_harness.h"

#include <QLabel>
#include <QWidget>

#include <random>

using namespace Qt::Literals::StringLiterals;

namespace morv::test {
namespace {

// What a control's widget shows must be what the engine's state says.
void expectWidgetsFollowState(const Harness &h)
{
    const FormState &s = h.engine.state();
    for (const ControlEntry &entry : controlTable()) {
        const Control &c = entry.slot(s);
        const std::string id = entry.id().toStdString();
        QWidget *widget = h.window.findChild<QWidget *>(entry.id());
        ASSERT_NE(widget, nullptr) << id;
        ASSERT_EQ(widget->isVisibleTo(h.client()), c.visible) << id;
        ASSERT_EQ(widget->isEnabled(), c.enabled) << id;
        if (c.kind == Kind::TextBox) {
            ASSERT_EQ(h.rawText(entry.id()), c.text) << id;
        } else if (c.kind == Kind::Label) {
            ASSERT_EQ(h.caption(entry.id()), c.text) << id;
        } else if (c.kind == Kind::OptionButton) {
            ASSERT_EQ(h.option(c.index)->isChecked(), c.selected) << id;
        }
    }
    int checked = 0;
    for (int i = 0; i < 5; ++i)
        checked += h.option(i)->isChecked();
    ASSERT_LE(checked, 1);
    const RunValues &v = h.engine.values();
    ASSERT_EQ(v.AnsweredCount, int(s.List2[Grades].count() - s.List2[Grades].rows.count(u"-1"_s)));
    ASSERT_EQ(h.caption(u"Label1(2)"_s),
              u"Въведени отговори: %1/%2"_s.arg(v.AnsweredCount).arg(v.QuestionCount));
}

} // namespace

// Clicking whatever is visible and enabled, in any order, never lets widgets and engine drift apart.
TEST(WidgetRandomWalk, WidgetsFollowTheEngine)
{
    BankSource mixed = numberedSource(6, 3, settings(1, 1, 1, 1));
    mixed.questions[1] = numberedSource(2, 5).questions[1];
    mixed.questions[4] = numberedSource(5, 2).questions[4];
    mixed.questions[2].text = u"Попълнете ___ тук."_s;
    const std::pair<const char *, BankSource> banks[] = {{"five_questions", fiveQuestions()},
                                                         {"mixed_navigation_phrase", mixed}};
    const QString buttons[] = {u"Command1(0)"_s, u"Command1(1)"_s, u"Command2(0)"_s, u"Command2(1)"_s,
                               u"Command2(2)"_s};
    int answered = 0;
    int graded = 0;
    for (const auto &[name, source] : banks) {
        for (unsigned seed = 1; seed <= 25; ++seed) {
            SCOPED_TRACE(testing::Message() << "bank " << name << ", seed " << seed);
            Harness h(source);
            h.show();
            std::mt19937 rng(seed);
            ASSERT_NO_FATAL_FAILURE(expectWidgetsFollowState(h));
            for (int event = 0; event < 40; ++event) {
                const auto kind = rng() % 10;
                if (kind < 5) {
                    QRadioButton *option = h.option(int(rng() % 5));
                    if (option->isVisible() && option->isEnabled())
                        QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(8, option->height() / 2));
                } else if (kind < 9) {
                    QAbstractButton *button = h.button(buttons[rng() % 5]);
                    const bool grade = button->objectName() == u"Command2(0)"_s;
                    if (button->isVisible() && button->isEnabled() && (!grade || rng() % 4 == 0))
                        button->click();
                } else {
                    h.action(u"autor"_s)->trigger();
                }
                ASSERT_NO_FATAL_FAILURE(expectWidgetsFollowState(h)) << "event " << event;
            }
            answered += h.engine.values().AnsweredCount;
            graded += !h.engine.state().Command2[Grade].enabled;
        }
    }
    // The walk really reached answers and results mode, through real clicks.
    EXPECT_GT(answered, 50);
    EXPECT_GT(graded, 10);
}

} // namespace morv::test
