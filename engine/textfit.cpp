// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/textfit.h"

#include "engine/look.h"

#include <QList>
#include <QStringList>
#include <QTextLayout>
#include <QTextOption>

#include <cmath>
#include <utility>

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
// way the box adds up its blocks. `lineEnds` gets the height each line ends at with the paragraph's
// own start at `top`, beside the line's first character.
int layParagraph(const QString &paragraph, const QFont &font, qreal width, int &lines,
                 QList<std::pair<qreal, int>> *lineEnds = nullptr, int top = 0)
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
        if (lineEnds)
            lineEnds->append({top + height, line.textStart()});
        ++lines;
    }
    layout.endLayout();
    return int(height);
}

// The paragraphs of a text as the box breaks them, each with where it starts in the text: CR LF, a
// lone CR and a lone LF each end one.
QList<std::pair<qsizetype, QString>> paragraphs(const QString &text)
{
    QList<std::pair<qsizetype, QString>> found;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != u'\n' && text[i] != u'\r')
            continue;
        found.append({start, text.mid(start, i - start)});
        if (i + 1 < text.size() && text[i] == u'\r' && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    return found;
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

    TextFit fit;
    fit.shownLength = text.size();
    int height = 0;
    for (const auto &[start, paragraph] : paragraphs(text)) {
        QList<std::pair<qreal, int>> lineEnds;
        height += layParagraph(paragraph, font, lineWidth, fit.lines, &lineEnds, height);
        for (const auto &[bottom, first] : lineEnds) {
            if (bottom > room && fit.shownLength == text.size())
                fit.shownLength = start + first;
        }
    }
    fit.fits = height <= room;
    if (fit.fits)
        fit.shownLength = text.size();

    int oneLine = 0;
    const int lineHeight = layParagraph(QString(), font, lineWidth, oneLine);
    fit.visibleLines = lineHeight > 0 ? qMax(0, room) / lineHeight : 0;
    return fit;
}

} // namespace morv
