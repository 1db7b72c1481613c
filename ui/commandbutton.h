// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A command button drawn in exactly its colours.
#pragma once

#include <QColor>
#include <QPushButton>

namespace morv {

// Its background inside a 1-pixel grey border, 2 pixels in its caption's colour while it has the focus,
// a 2-pixel grey border set in while it is pressed, and its caption in the middle, enabled or not. Fusion
// would tint the background; a stylesheet draws the same as this, but its engine costs the start-up more
// than all the rest of the window's colours.
class CommandButton final : public QPushButton
{
public:
    using QPushButton::QPushButton;

    void setColours(const QColor &background, const QColor &caption);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_background;
    QColor m_caption;
};

} // namespace morv
