// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The logic of the main window: run tables, start-up and shuffle, test mode, grading, results mode.
// Every handler works on the plain control state; the window only forwards events and shows it.
#pragma once

#include "bank/bank.h"
#include "engine/formstate.h"
#include "engine/random.h"

#include <QtGlobal>

#include <functional>

namespace morv {

// The window-level values of one run.
struct RunValues
{
    qint16 CurrentPosition = 0;
    qint16 QuestionCount = 0;
    qint16 AnsweredCount = 0;
    qint16 ChosenOption = -1; // -1 until the first choice
    qint16 ShuffleStep = 0;
};

class MORV_Prazno
{
public:
    // endProgram ends the program at once; it is called by Exit and nowhere else.
    MORV_Prazno(Bank bank, RandomSource &random, std::function<void()> endProgram);

    // Events of the window.
    void Form_Load();
    void Option1_Click(qint16 Index);
    void Command1_Click(qint16 Index);
    void Command2_Click(qint16 Index);
    void autor_Click();
    void izhod_Click(qint16 Index);

    // The option button becomes the selected one, by a click or from code; its click handler runs
    // nested, also while the button is disabled.
    void selectOption(int index);
    // No handler runs when a button is deselected.
    void deselectOption(int index);

    const FormState &state() const { return m_state; }
    const RunValues &values() const { return m_values; }
    // The data window; after Exit it is unloaded and this is the empty bank.
    const Bank &MORV_Danni() const { return m_bank; }
    // The JPEG that Picture2 shows, empty when none.
    const QByteArray &picture2() const { return m_bank.Picture1(m_state.picture2Source); }
    // What a screen reader says of that figure: the bank's text for it, or a plain default.
    QString picture2Text() const;
    bool ended() const { return m_ended; }

private:
    void ShuffleQuestions();
    void ShowQuestion();
    void SelectRunRow();
    void ShowPicture(qint16 b);
    void UpdateProgress();
    void ComposePhrase();
    void ShowGradedQuestion();
    void ShowConsistencyCheck();

    // The answers of bank index b into Text2(1..5) in the run's order, one option per answer shown.
    void fillAnswers(int b);
    // A draw scaled by `scale` and rounded half to even, as the shuffle reads it.
    int drawScaled(float scale);

    Bank m_bank;
    RandomSource &m_random;
    std::function<void()> m_endProgram;
    FormState m_state;
    RunValues m_values;
    bool m_loaded = false;
    bool m_ended = false;
};

} // namespace morv
