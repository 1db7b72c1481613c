// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/testbank.h"

#include <QBuffer>
#include <QImage>

using namespace Qt::Literals::StringLiterals;

namespace morv::test {

QStringList shippedSettings()
{
    return {u"Настройки - последната цифра"_s,
            u"ЧЕО - фраза от 2 части - 0"_s,
            u"Проверка за Тото - 1"_s,
            u"МОРВ по Геометрия - ъгли в триъгълник"_s,
            u"Дава описание - 1"_s,
            u"Дава обяснения - 0"_s};
}

QStringList settings(int phrase, int toto, int explanations, int navigation, const QString &title)
{
    return {u"Настройки - последната цифра"_s,         u"ЧЕО - фраза от 2 части - %1"_s.arg(phrase),
            u"Проверка за Тото - %1"_s.arg(toto),      title,
            u"Дава описание - %1"_s.arg(explanations), u"Дава обяснения - %1"_s.arg(navigation)};
}

QuestionSource question(const QString &text, const QStringList &answers, int correctIndex,
                        const QStringList &explanation, const QByteArray &picture)
{
    QuestionSource q;
    q.text = text;
    q.answers = answers;
    q.correct = answers.value(correctIndex);
    q.explanation = explanation;
    q.picture = picture;
    if (!picture.isEmpty())
        q.pictureName = u"figure.jpg"_s;
    return q;
}

BankSource numberedSource(int count, int answers, const QStringList &settingRows)
{
    BankSource source;
    source.settings = settingRows;
    for (int k = 1; k <= count; ++k) {
        QStringList texts;
        for (int a = 1; a <= answers; ++a)
            texts.append(u"%1-%2"_s.arg(k).arg(a));
        source.questions.push_back(question(u"Въпрос %1"_s.arg(k), texts, 0, {u"Обяснение на %1"_s.arg(k)}));
    }
    return source;
}

Bank bankOf(const BankSource &source)
{
    return buildBank(source);
}

QByteArray tinyJpeg(int seed)
{
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(QColor::fromRgb(200, (seed * 40) % 256, 100));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 80);
    return bytes;
}

} // namespace morv::test
