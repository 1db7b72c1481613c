// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/testbank.h"

#include <QBuffer>
#include <QFile>
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

// The shipped test is known by its title and its number of questions, not by a hash of bank.json: the
// maintainers correct its wording now and then, and the tests of its content should then fail and be
// looked at, not be skipped; a hash taken from the repository's file at configure time would match a
// teacher's replaced bank just as well and so could never tell them apart. A teacher's own test has
// its own title.
std::string shippedBankMismatch(const Bank &bank)
{
    const QString shippedTitle = u"МОРВ по Геометрия - ъгли в триъгълник"_s;
    const int shippedQuestions = 20;
    const QString title = bank.settings().title;
    const auto questions = bank.List1(0).size();
    if (title == shippedTitle && questions == shippedQuestions)
        return {};
    return u"the embedded bank is not the shipped test („%1“, %2 questions; shipped: „%3“, %4 questions): "
           u"the checks of the shipped content do not apply to a teacher's own test"_s.arg(title)
               .arg(questions)
               .arg(shippedTitle)
               .arg(shippedQuestions)
               .toStdString();
}

std::string embeddedBankIsNotShipped()
{
    static const std::string mismatch = [] {
        // A bank that cannot be read is nobody's own test: the shipped checks then run and say why.
        const BankLoad load = readEmbeddedBank();
        return load.bank ? shippedBankMismatch(*load.bank) : std::string();
    }();
    return mismatch;
}

QByteArray programBytes()
{
    return QByteArray(1000, '\x7f') + QByteArray(MORV_PROGRAM_MARK "0") + QByteArray(3000, '\x7f');
}

BankLoad bankOfProgramFile(const QString &path)
{
    QFile file(path);
    const std::optional<ProgramMark> mark =
        file.open(QIODevice::ReadOnly) ? programMark(file.readAll()) : std::nullopt;
    if (!mark) {
        BankLoad refused;
        refused.problems.append({.rule = Rule::DamagedPayload, .text = u"no program mark in %1"_s.arg(path)});
        return refused;
    }
    return readProgramBank(path, *mark);
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
