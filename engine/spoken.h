// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader is told of the controls whose meaning the window shows only by colour or by
// length: the answer beside each option button, the answered indicator, the two rows of the strip.
#pragma once

#include "engine/formstate.h"

#include <QString>

#include <array>

namespace morv {

struct RunValues;

struct Spoken
{
    // The answer text of each option's box; after grading also "избран", "верен отговор", "грешен".
    std::array<QString, OptionCount> options;
    QString indicator; // "да" / "не"; after grading "верен" / "грешен или без отговор"
    QString position; // "въпрос 3 от 21"
    QString answered; // "въведени отговори 5 от 21"
};

Spoken spokenState(const FormState &state, const RunValues &values);

} // namespace morv
