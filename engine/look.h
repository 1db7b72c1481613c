// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What the window looks like to those who measure it without showing it: the font of its texts and
// what a text box keeps of its size for the text. The boxes themselves are in the table of controls
// (textBoxRect, figureBoxRect). Qt Gui, for the window, the fit of a text and the packer alike.
#pragma once

#include <QFont>

namespace morv {

// The font of every text in the window: the table's Times New Roman 12 pt (through fontconfig a
// metric-compatible face), without OpenType shaping.
QFont windowFont();

// What a text box (a QPlainTextEdit, scroll bar always on) keeps of its size for the text, under the
// Fusion style the program runs with. The packer cannot ask the style, having no widgets: the values
// stand here, and the widget tests hold them against the window's own boxes.
namespace textbox {
inline constexpr int FrameWidth = 1;      // the sunken frame, on each side
inline constexpr int ScrollBarWidth = 14; // the vertical scroll bar, on the right
inline constexpr int DocumentMargin = 4;  // between the viewport and the text, on each side
} // namespace textbox

} // namespace morv
