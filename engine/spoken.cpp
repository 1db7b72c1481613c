// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/spoken.h"

#include "engine/morvprazno.h"

using namespace Qt::Literals::StringLiterals;

namespace morv {

Spoken spokenState(const FormState &state, const RunValues &values)
{
    // Grade disables itself, and only then do the colours speak of right and wrong.
    const bool graded = !state.Command2[Grade].enabled;
    Spoken spoken;
    for (int i = 0; i < OptionCount; ++i) {
        const Control &option = state.Option1[std::size_t(i)];
        QStringList parts{state.Text2[answerBox(i)].text};
        if (graded && option.selected)
            parts.append(u"избран"_s);
        if (graded && option.background == colours::Green)
            parts.append(u"верен отговор"_s);
        if (graded && option.background == colours::Red)
            parts.append(u"грешен"_s);
        spoken.options[std::size_t(i)] = parts.join(u"; "_s);
    }
    const bool green = state.Picture1.background == colours::Green;
    spoken.indicator =
        graded ? (green ? u"верен"_s : u"грешен или без отговор"_s) : (green ? u"да"_s : u"не"_s);
    spoken.position = u"въпрос %1 от %2"_s.arg(values.CurrentPosition + 1).arg(values.QuestionCount);
    spoken.answered = u"въведени отговори %1 от %2"_s.arg(values.AnsweredCount).arg(values.QuestionCount);
    return spoken;
}

} // namespace morv
