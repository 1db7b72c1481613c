// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/look.h"

#include "engine/controls.h"

namespace morv {

QFont windowFont()
{
    QFont font(layout::FontFamily.toString(), layout::FontPointSize);
    // Cyrillic and Latin need no OpenType shaping; skipping it makes every new text a third cheaper.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

} // namespace morv
