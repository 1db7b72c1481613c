// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/textfit.h"

#include "engine/look.h"

#include <QStringList>
#include <QTextLayout>
#include <QTextOption>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

QTextOption wrapping()
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    return option;
}

// Lays one paragraph out as the box's document does and returns its height in whole pixels, the
// way the box adds up its blocks.
int layParagraph(const QString &paragraph, const QFont &font, qreal width, int &lines)
{
    QTextLayout layout(paragraph, font);
    layout.setTextOption(wrapping());
    qreal height = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLeadingIncluded(true);
        line.setLineWidth(width);
        line.setPosition(QPointF(0, height));
        height += line.height();
        if (line.leading() < 0)
            height += std::ceil(line.leading());
        ++lines;
    }
    layout.endLayout();
    return int(height);
}

} // namespace

TextFit fitText(const QString &text, const QFont &font, QSize box)
{
    using namespace textbox;
    const int viewportWidth = box.width() - 2 * FrameWidth - ScrollBarWidth;
    const int viewportHeight = box.height() - 2 * FrameWidth;
    const qreal lineWidth = qMax(0, viewportWidth - 2 * DocumentMargin);
    // The box scrolls once its lines and the bottom margin need more than the viewport less the top
    // margin and one pixel.
    const int room = viewportHeight - 2 * DocumentMargin - 1;

    QString shown = text;
    shown.replace(u"\r\n"_s, u"\n"_s);
    shown.replace(u'\r', u'\n');
    TextFit fit;
    int height = 0;
    for (const QString &paragraph : shown.split(u'\n'))
        height += layParagraph(paragraph, font, lineWidth, fit.lines);
    fit.fits = height <= room;

    int oneLine = 0;
    const int lineHeight = layParagraph(QString(), font, lineWidth, oneLine);
    fit.visibleLines = lineHeight > 0 ? qMax(0, room) / lineHeight : 0;
    return fit;
}

} // namespace morv
