// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "pack/fit.h"

#include "engine/controls.h"
#include "engine/look.h"
#include "engine/textfit.h"

#include <QBuffer>
#include <QImageReader>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

// The boxes and font, made once: a keystroke measures one question and no more.
struct Boxes
{
    QFont font = windowFont();
    QSize question = textBoxRect(Question).size();
    QSize answer = textBoxRect(AnswerA).size();
    QSize fifth = textBoxRect(AnswerE).size();
    QSize picture = figureBoxRect().size();
};

const Boxes &boxes()
{
    static const Boxes made;
    return made;
}

// The picture's size from its header alone; invalid when it cannot be read.
QSize pictureSize(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return QImageReader(&buffer).size();
}

} // namespace

QuestionFit measureQuestion(const QuestionSource &question, std::size_t index)
{
    const Boxes &box = boxes();
    QuestionFit measured;
    auto warn = [&](const QString &text) {
        measured.warnings.append(
            {.rule = Rule::DoesNotFit, .line = question.line, .question = int(index) + 1, .text = text});
    };
    const TextFit text = fitText(question.text, box.font, box.question);
    measured.textShown = text.shownLength;
    if (!text.fits)
        warn(u"текстът на въпроса заема %1 реда, а полето показва %2"_s.arg(text.lines)
                 .arg(text.visibleLines));
    QStringList tooWideForTheFifth;
    for (qsizetype a = 0; a < question.answers.size(); ++a) {
        const TextFit fit = fitText(question.answers[a], box.font, box.answer);
        measured.answersShown.append(fit.shownLength);
        if (!fit.fits)
            warn(u"отговор %1 не се събира в полето си (%2 реда, а то показва %3)"_s.arg(a + 1)
                     .arg(fit.lines)
                     .arg(fit.visibleLines));
        if (question.answers.size() == OptionCount && !fitText(question.answers[a], box.font, box.fifth).fits)
            tooWideForTheFifth.append(QString::number(a + 1));
    }
    // With five answers, any of them may be shuffled into the narrow fifth box.
    if (!tooWideForTheFifth.isEmpty())
        warn(u"при пет отговора всеки може да се падне в тясното пето поле, а отговори %1 не се събират в "
             u"него"_s.arg(tooWideForTheFifth.join(u", "_s)));
    if (const QSize size = question.picture.isEmpty() ? QSize() : pictureSize(question.picture);
        size.isValid() && (size.width() > box.picture.width() || size.height() > box.picture.height()))
        warn(u"изображението е %1 × %2 пиксела и ще се покаже отрязано до %3 × %4"_s.arg(size.width())
                 .arg(size.height())
                 .arg(box.picture.width())
                 .arg(box.picture.height()));
    return measured;
}

QList<Problem> fitWarnings(const TestDocument &document)
{
    QList<Problem> warnings;
    for (std::size_t i = 0; i < document.questions.size(); ++i)
        warnings += measureQuestion(document.questions[i], i).warnings;
    return warnings;
}

} // namespace morv
