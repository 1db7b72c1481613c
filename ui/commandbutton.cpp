// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/commandbutton.h"

#include "engine/controls.h"

#include <QPainter>
#include <QPolygonF>

namespace morv {

void CommandButton::setColours(const QColor &background, const QColor &caption)
{
    m_background = background;
    m_caption = caption;
    update();
}

void CommandButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect all = rect();
    const QColor grey(colours::Grey.r, colours::Grey.g, colours::Grey.b);
    const int border = isDown() || hasFocus() ? 2 : 1;
    painter.fillRect(all, m_background);
    if (isDown()) {
        // Shaded like a stylesheet's inset border: dark above and left, light below and right, the edges
        // meeting on the diagonals, smoothed, and drawn in the stylesheet's order.
        const qreal x1 = all.left(), y1 = all.top(), x2 = all.right() + 1, y2 = all.bottom() + 1;
        const qreal in = border;
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(grey.lighter());
        painter.drawConvexPolygon(QPolygonF{{x1, y2}, {x1 + in, y2 - in}, {x2 - in, y2 - in}, {x2, y2}});
        painter.drawConvexPolygon(QPolygonF{{x2, y1}, {x2 - in, y1 + in}, {x2 - in, y2 - in}, {x2, y2}});
        painter.setBrush(grey);
        painter.drawConvexPolygon(QPolygonF{{x1, y1}, {x1 + in, y1 + in}, {x2 - in, y1 + in}, {x2, y1}});
        painter.drawConvexPolygon(QPolygonF{{x1, y1}, {x1 + in, y1 + in}, {x1 + in, y2 - in}, {x1, y2}});
        painter.setRenderHint(QPainter::Antialiasing, false);
    } else {
        const QColor edge = hasFocus() ? m_caption : grey;
        painter.fillRect(QRect(all.left(), all.top(), all.width(), border), edge);
        painter.fillRect(QRect(all.left(), all.bottom() - border + 1, all.width(), border), edge);
        painter.fillRect(QRect(all.left(), all.top(), border, all.height()), edge);
        painter.fillRect(QRect(all.right() - border + 1, all.top(), border, all.height()), edge);
    }
    painter.setPen(m_caption);
    painter.drawText(all.adjusted(border, border, -border, -border), Qt::AlignCenter | Qt::TextShowMnemonic,
                     text());
}

} // namespace morv
