// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// How many lines a text takes in one of the window's text boxes, and whether the box shows it whole.
// Gui only, so the program's tests and a packer without widgets measure a text the same way.
#pragma once

#include <QFont>
#include <QSize>
#include <QString>

namespace morv {

struct TextFit
{
    int lines = 0;        // lines the text takes, wrapped as the box wraps it
    int visibleLines = 0; // lines of the font the box shows without scrolling
    bool fits = false;    // the box shows the whole text without a scroll
    // Where the box stops showing the text: the first character of the first line it does not show
    // whole, in the text as given; the text's length when it fits.
    qsizetype shownLength = 0;
};

// The text as a text box of `box` pixels (its outer size, frame included: what the box keeps for its
// frame, scroll bar and margins is in engine/look.h) shows it in `font`:
// words wrap at the box's width, a word too long for a line breaks anywhere, and CR LF, a lone CR
// and a lone LF each break the line.
TextFit fitText(const QString &text, const QFont &font, QSize box);

} // namespace morv
