// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The logic of the main window: run tables, start-up and shuffle, test mode, grading, results mode.
// Every handler works on the plain control state; the window only forwards events and shows it.
//
// Names. Whatever mirrors the original form keeps its original name, so the code reads against the form:
// the two windows, their controls and control arrays, the bank's lists and the event handlers. Everything
// else (types, helpers, enums, locals, files) is English. The original names, in their own transliteration:
//   МОРВ            Малки отворени ресурси за всеки урок: the family of small open resources it belongs to
//   MORV_Prazno     the main window and its logic ("празно": blank, the empty form the bank fills)
//   MORV_Danni      the hidden data window that holds the bank ("данни": data); here class Bank
//   Form_Load       the main window's load handler: start-up
//   List1(k)        the bank's question lists: List1(0) the correct answers, List1(k) question k's text
//                   and answers, spare slots to List1(39)
//   List2           in the bank the settings list; on the main window the hidden run tables List2(0..6)
//   Obqsnenie(k)    the explanation lines of question k ("обяснение": explanation)
//   Poredica(n)     the n! orders of n answers ("поредица": sequence)
//   Picture1        in the bank question k's figure, Picture1(k); on the window the answered indicator
//   Picture2        the window's figure box
//   Text1           Text1(0) the help box, which shows the explanation after grading; Text1(1) the
//                   hidden author's note
//   Text2           Text2(0) the question, Text2(1..5) the answers A to E, Text2(6) the phrase preview
//   Label1          the captions: title, result, answered counter, the Тото verdict, "Въведен отговор:"
//   Command1        Forward and Back in test mode; Command1_Click
//   Command2        Grade, then Forward and Back in results mode; Command2_Click
//   Option1         the five option buttons A to E; Option1_Click
//   Frame1          the frame that holds the option buttons
//   Shape1, Shape2  the progress strip's rows, position and answered, each a done and a rest part
//   izhod           the Exit menu command ("изход"); izhod_Click
//   autor           the Author menu command ("автор"); autor_Click
//   Index           a handler's argument: the element of the control array that was clicked
//   Тото, TotoRow   the consistency check, named after the lottery: question 1 is asked again as the last
//                   one and the two answers compared
//   ЧЕО             чуждоезиково обучение, teaching a foreign language: the phrase preview's setting
//   Pyrwi, Posleden "първи", "последен" (first, last): List2(6) before the first and the last bank
//                   question are answered
//   Weren Neweren Otgowor, Weren Otgowor/Distraktor
//                   "верен/неверен отговор" (right/wrong answer), "distractor" (a wrong answer): first
//                   rows of the run tables List2(3) and List2(4) as the form creates them
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
