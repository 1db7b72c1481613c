// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/bankreader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

// Where a problem sits, as the teacher counts questions: from 1.
QString questionPlace(std::size_t index)
{
    return u"въпрос %1"_s.arg(index + 1);
}

QString quoted(const QString &text)
{
    return u"„%1“"_s.arg(text);
}

// Line and column (from 1) of a byte offset into the source, for parse errors.
QString sourcePlace(const QByteArray &json, qsizetype offset)
{
    const QByteArray before = json.left(std::clamp<qsizetype>(offset, 0, json.size()));
    const qsizetype lineStart = before.lastIndexOf('\n') + 1;
    const auto line = before.count('\n') + 1;
    const auto column = QString::fromUtf8(before.mid(lineStart)).size() + 1;
    return u"ред %1, колона %2"_s.arg(line).arg(column);
}

bool isStringArray(const QJsonValue &value)
{
    if (!value.isArray())
        return false;
    const QJsonArray array = value.toArray();
    return std::all_of(array.begin(), array.end(), [](const QJsonValue &v) { return v.isString(); });
}

QStringList strings(const QJsonValue &value)
{
    QStringList rows;
    for (const QJsonValue &v : value.toArray())
        rows.append(v.toString());
    return rows;
}

struct Parsed
{
    BankSource source;
    QStringList problems;
};

void readQuestion(const QJsonValue &value, std::size_t index, const QString &baseDir, Parsed &parsed)
{
    const QString place = questionPlace(index);
    QuestionSource question;
    if (!value.isObject()) {
        parsed.problems.append(place + u": трябва да е обект с полета text, answers, correct"_s);
        parsed.source.questions.push_back(question);
        return;
    }
    const QJsonObject object = value.toObject();
    static const QStringList known = {u"text"_s, u"answers"_s, u"correct"_s, u"picture"_s, u"explanation"_s};
    for (const QString &key : object.keys()) {
        if (!known.contains(key))
            parsed.problems.append(place + u": непознато поле %1"_s.arg(quoted(key)));
    }
    if (!object.value(u"text").isString())
        parsed.problems.append(place + u": няма текст на въпроса (поле text)"_s);
    question.text = object.value(u"text").toString();
    if (!isStringArray(object.value(u"answers")))
        parsed.problems.append(place + u": отговорите (поле answers) трябва да са списък от текстове"_s);
    else
        question.answers = strings(object.value(u"answers"));
    if (!object.value(u"correct").isString())
        parsed.problems.append(place + u": няма верен отговор (поле correct)"_s);
    question.correct = object.value(u"correct").toString();
    if (object.contains(u"explanation")) {
        if (!isStringArray(object.value(u"explanation")))
            parsed.problems.append(place +
                                   u": обяснението (поле explanation) трябва да е списък от редове"_s);
        else
            question.explanation = strings(object.value(u"explanation"));
    }
    if (object.contains(u"picture")) {
        if (!object.value(u"picture").isString() || object.value(u"picture").toString().isEmpty()) {
            parsed.problems.append(place + u": изображението (поле picture) трябва да е име на файл"_s);
        } else {
            question.pictureName = object.value(u"picture").toString();
            const QString clean = QDir::cleanPath(question.pictureName);
            QFile file(QDir(baseDir).filePath(question.pictureName));
            // Only what lies in the bank's own folder is embedded into the program.
            if (QDir::isAbsolutePath(clean) || clean == u".." || clean.startsWith(u"../"))
                parsed.problems.append(place + u": изображението %1 трябва да е в папката на въпросите"_s.arg(
                                                   quoted(question.pictureName)));
            else if (!file.open(QIODevice::ReadOnly))
                parsed.problems.append(place + u": файлът на изображението %1 не може да се прочете"_s.arg(
                                                   quoted(question.pictureName)));
            else
                question.picture = file.readAll();
        }
    }
    parsed.source.questions.push_back(question);
}

Parsed parse(const QByteArray &json, const QString &baseDir)
{
    Parsed parsed;
    // The JSON reader would turn text in another encoding into replacement characters without a word.
    if (!json.isValidUtf8()) {
        parsed.problems.append(u"файлът с въпросите не е в кодиране UTF-8: запишете го като UTF-8"_s);
        return parsed;
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        parsed.problems.append(
            u"грешка в записа, %1: %2"_s.arg(sourcePlace(json, error.offset), error.errorString()));
        return parsed;
    }
    if (!document.isObject()) {
        parsed.problems.append(u"файлът с въпросите трябва да е обект с полета settings и questions"_s);
        return parsed;
    }
    const QJsonObject root = document.object();
    for (const QString &key : root.keys()) {
        if (key != u"settings" && key != u"questions")
            parsed.problems.append(u"непознато поле %1"_s.arg(quoted(key)));
    }
    if (!isStringArray(root.value(u"settings")))
        parsed.problems.append(u"настройките (поле settings) трябва да са списък от редове"_s);
    else
        parsed.source.settings = strings(root.value(u"settings"));
    if (!root.value(u"questions").isArray()) {
        parsed.problems.append(u"въпросите (поле questions) трябва да са списък"_s);
        return parsed;
    }
    const QJsonArray questions = root.value(u"questions").toArray();
    for (qsizetype i = 0; i < questions.size(); ++i)
        readQuestion(questions[i], std::size_t(i), baseDir, parsed);
    return parsed;
}

void checkQuestion(const QuestionSource &question, std::size_t index, const PictureCheck &pictureCheck,
                   QStringList &problems)
{
    const QString place = questionPlace(index);
    if (question.text.trimmed().isEmpty())
        problems.append(place + u": текстът на въпроса е празен"_s);
    const auto answers = question.answers.size();
    if (answers < 2 || answers > 5)
        problems.append(place + u": има %1 отговора, а трябва да са от 2 до 5"_s.arg(answers));
    for (qsizetype a = 0; a < answers; ++a) {
        if (question.answers[a].trimmed().isEmpty())
            problems.append(place + u": отговор %1 е празен"_s.arg(a + 1));
    }
    const auto matches = question.answers.count(question.correct);
    if (matches == 0)
        problems.append(
            place + u": верният отговор %1 не е точно никой от отговорите"_s.arg(quoted(question.correct)));
    else if (matches > 1)
        problems.append(place + u": верният отговор %1 стои %2 пъти сред отговорите, а трябва веднъж"_s
                                    .arg(quoted(question.correct))
                                    .arg(matches));
    if (!question.pictureName.isEmpty() && !question.picture.isEmpty() && pictureCheck) {
        const QString why = pictureCheck(question.picture);
        if (!why.isEmpty())
            problems.append(place + u": изображението %1 не може да се покаже: %2"_s.arg(
                                        quoted(question.pictureName), why));
    }
}

} // namespace

int maxQuestions(bool repeatQuestion)
{
    const int lastSlot = std::min({Bank::QuestionSlots, Bank::ExplanationSlots, Bank::PictureSlots}) - 1;
    return repeatQuestion ? lastSlot - 1 : lastSlot;
}

QStringList checkBank(const BankSource &source, const PictureCheck &pictureCheck)
{
    QStringList problems;
    if (source.settings.size() != Bank::SettingsRows)
        problems.append(u"настройките са %1 реда, а трябва да са точно %2"_s.arg(source.settings.size())
                            .arg(Bank::SettingsRows));
    const auto count = source.questions.size();
    if (count < 3)
        problems.append(u"тестът има %1 въпроса, а трябва да са поне 3"_s.arg(count));
    const bool repeat = settingValue(source.settings, Bank::TotoRow) == 1;
    const int most = maxQuestions(repeat);
    if (count > std::size_t(most))
        problems.append(
            repeat
                ? u"тестът има %1 въпроса, а с проверката за Тото побира най-много %2"_s.arg(count).arg(most)
                : u"тестът има %1 въпроса, а побира най-много %2"_s.arg(count).arg(most));
    for (std::size_t i = 0; i < count; ++i)
        checkQuestion(source.questions[i], i, pictureCheck, problems);
    return problems;
}

Bank buildBank(const BankSource &source)
{
    Bank bank;
    bank.setSettings(source.settings);
    QStringList correct;
    const int count = int(source.questions.size());
    for (int k = 1; k <= count; ++k) {
        const QuestionSource &question = source.questions[std::size_t(k - 1)];
        correct.append(question.correct);
        bank.setList1(k, QStringList{question.text} + question.answers);
        bank.setObqsnenie(k, question.explanation);
        bank.setPicture1(k, question.picture);
    }
    bank.setList1(Bank::CorrectAnswers, correct);
    for (int k = count + 1; k < Bank::QuestionSlots; ++k)
        bank.setList1(k, {u"List1(%1) - въпрос от теста"_s.arg(k)});
    bank.setObqsnenie(0, {u"Остави ме на мира Обяснение - няма"_s});
    for (int k = count + 1; k < Bank::ExplanationSlots; ++k)
        bank.setObqsnenie(k, {u"Обяснение %1"_s.arg(k)});
    return bank;
}

BankLoad readBank(const QByteArray &json, const QString &baseDir, const PictureCheck &pictureCheck)
{
    Parsed parsed = parse(json, baseDir);
    BankLoad load;
    load.problems = parsed.problems;
    if (load.problems.isEmpty())
        load.problems = checkBank(parsed.source, pictureCheck);
    if (load.problems.isEmpty())
        load.bank = buildBank(parsed.source);
    return load;
}

BankLoad readBankFile(const QString &path, const PictureCheck &pictureCheck)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt, {u"файлът с въпросите %1 не може да се отвори"_s.arg(quoted(path))}};
    return readBank(file.readAll(), QFileInfo(path).path(), pictureCheck);
}

} // namespace morv
