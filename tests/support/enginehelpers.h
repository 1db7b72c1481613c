// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for the engine tests: a started window over a bank built in the test, and short
// renderings of the control state so that expectations read like what the examinee sees.
#pragma once

#include "engine/morvprazno.h"
#include "tests/support/scriptedrandom.h"
#include "tests/support/testbank.h"

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <vector>

namespace morv::test {

// A window whose load handler has run over `source`, drawing `draws` in order and then `afterwards`.
// The random source lives beside the window because the window keeps a reference to it.
class StartedRun
{
public:
    StartedRun(const BankSource &source, std::vector<float> draws, float afterwards = 0.0f)
        : random(std::move(draws), afterwards), engine(bankOf(source), random, {})
    {
        engine.Form_Load();
    }
    StartedRun(const StartedRun &) = delete;
    StartedRun &operator=(const StartedRun &) = delete;

    const FormState &state() const { return engine.state(); }
    const RunValues &values() const { return engine.values(); }
    QStringList table(RunTable t) const { return engine.state().List2[t].rows; }
    int position() const { return engine.values().CurrentPosition; }

    // The examinee's actions.
    void choose(int option) { engine.selectOption(option); }
    void forward(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            engine.Command1_Click(0);
    }
    void back(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            engine.Command1_Click(1);
    }
    void grade() { engine.Command2_Click(0); }
    void resultsForward(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            engine.Command2_Click(1);
    }
    void resultsBack(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            engine.Command2_Click(2);
    }

    ScriptedRandom random;
    MORV_Prazno engine;
};

// The texts of the visible answer boxes Text2(1..5), in option order.
inline QStringList shownAnswers(const FormState &state)
{
    QStringList answers;
    for (int i = 1; i <= 5; ++i) {
        if (state.Text2[std::size_t(i)].visible)
            answers.append(state.Text2[std::size_t(i)].text);
    }
    return answers;
}

// How many option buttons are visible.
inline int shownOptionCount(const FormState &state)
{
    int shown = 0;
    for (int i = 0; i < 5; ++i) {
        if (state.Option1[std::size_t(i)].visible)
            ++shown;
    }
    return shown;
}

inline char colourCode(const std::optional<Rgb> &colour)
{
    if (!colour)
        return '-';
    if (*colour == Rgb{0, 255, 0})
        return 'G';
    if (*colour == Rgb{255, 0, 0})
        return 'R';
    if (*colour == Rgb{192, 192, 255})
        return 'L';
    return '?';
}

// The visible option buttons as letters, '*' on the selected one and, when asked, the background's
// code after it: G green (0,255,0), R red (255,0,0), L light blue (192,192,255).
inline QString optionsView(const FormState &state, bool withColour)
{
    QStringList parts;
    for (int i = 0; i < 5; ++i) {
        const Control &option = state.Option1[std::size_t(i)];
        if (!option.visible)
            continue;
        QString part(QChar(u'A' + i));
        if (option.selected)
            part += u'*';
        if (withColour)
            part += QChar::fromLatin1(colourCode(option.background));
        parts.append(part);
    }
    return parts.join(u' ');
}

// "A B* C": option B selected.
inline QString selectionView(const FormState &state)
{
    return optionsView(state, false);
}

// "A*R BL CG": option A selected and red, B light blue, C green.
inline QString colourView(const FormState &state)
{
    return optionsView(state, true);
}

// Every row of a table holds the same text.
inline QStringList repeated(const QString &text, int count)
{
    QStringList rows;
    for (int i = 0; i < count; ++i)
        rows.append(text);
    return rows;
}

} // namespace morv::test
