// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "pack/fit.h"

#include "engine/controls.h"
#include "engine/look.h"
#include "engine/textfit.h"

#include <QImage>

using namespace Qt::Literals::StringLiterals;

namespace morv {

QList<Problem> fitWarnings(const TestDocument &source)
{
    const QFont font = windowFont();
    const QSize questionBox = textBoxRect(Question).size();
    const QSize answerBox = textBoxRect(AnswerA).size();
    const QSize fifthBox = textBoxRect(AnswerE).size();
    const QSize pictureBox = figureBoxRect().size();
    QList<Problem> warnings;
    for (std::size_t i = 0; i < source.questions.size(); ++i) {
        const QuestionSource &question = source.questions[i];
        auto warn = [&](const QString &text) {
            warnings.append(
                {.rule = Rule::DoesNotFit, .line = question.line, .question = int(i) + 1, .text = text});
        };
        if (const TextFit fit = fitText(question.text, font, questionBox); !fit.fits)
            warn(u"текстът на въпроса заема %1 реда, а полето показва %2"_s.arg(fit.lines).arg(
                fit.visibleLines));
        QStringList tooWideForTheFifth;
        for (qsizetype a = 0; a < question.answers.size(); ++a) {
            if (const TextFit fit = fitText(question.answers[a], font, answerBox); !fit.fits)
                warn(u"отговор %1 не се събира в полето си (%2 реда, а то показва %3)"_s.arg(a + 1)
                         .arg(fit.lines)
                         .arg(fit.visibleLines));
            if (question.answers.size() == OptionCount && !fitText(question.answers[a], font, fifthBox).fits)
                tooWideForTheFifth.append(QString::number(a + 1));
        }
        // With five answers, any of them may be shuffled into the narrow fifth box.
        if (!tooWideForTheFifth.isEmpty())
            warn(
                u"при пет отговора всеки може да се падне в тясното пето поле, а отговори %1 не се събират в "
                u"него"_s.arg(tooWideForTheFifth.join(u", "_s)));
        if (const QImage image = QImage::fromData(question.picture);
            !image.isNull() && (image.width() > pictureBox.width() || image.height() > pictureBox.height()))
            warn(u"изображението е %1 × %2 пиксела и ще се покаже отрязано до %3 × %4"_s.arg(image.width())
                     .arg(image.height())
                     .arg(pictureBox.width())
                     .arg(pictureBox.height()));
    }
    return warnings;
}

} // namespace morv
