// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/brokenbanks.h"
#include "tests/support/testbank.h"

#include <QJsonArray>
#include <QJsonDocument>

using namespace Qt::Literals::StringLiterals;

namespace morv::test {

QJsonObject questionJson(const QString &text, const QStringList &answers, const QString &correct)
{
    return QJsonObject{{u"text"_s, text},
                       {u"answers"_s, QJsonArray::fromStringList(answers)},
                       {u"correct"_s, correct},
                       {u"explanation"_s, QJsonArray{u"ред 1"_s}}};
}

QJsonObject validJson(int questions)
{
    QJsonArray list;
    for (int k = 1; k <= questions; ++k)
        list.append(questionJson(u"Въпрос %1"_s.arg(k), {u"a%1"_s.arg(k), u"b%1"_s.arg(k)}, u"b%1"_s.arg(k)));
    return QJsonObject{{u"settings"_s, QJsonArray::fromStringList(shippedSettings())},
                       {u"questions"_s, list}};
}

QByteArray bytes(const QJsonObject &object)
{
    return QJsonDocument(object).toJson();
}

QJsonObject withQuestion(QJsonObject root, int index, const QJsonObject &question)
{
    QJsonArray list = root[u"questions"_s].toArray();
    list[index] = question;
    root[u"questions"_s] = list;
    return root;
}

std::vector<BrokenBank> brokenBanks()
{
    return {
        BrokenBank{"two_questions", [] { return validJson(2); },
                   u"тестът има 2 въпроса, а трябва да са поне 3"_s},
        BrokenBank{"one_answer",
                   [] { return withQuestion(validJson(), 1, questionJson(u"В"_s, {u"a"_s}, u"a"_s)); },
                   u"въпрос 2: има 1 отговора, а трябва да са от 2 до 5"_s},
        BrokenBank{"six_answers",
                   [] {
                       return withQuestion(
                           validJson(), 2,
                           questionJson(u"В"_s, {u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"6"_s}, u"1"_s));
                   },
                   u"въпрос 3: има 6 отговора"_s},
        BrokenBank{"correct_missing",
                   [] {
                       return withQuestion(validJson(), 0, questionJson(u"В"_s, {u"a"_s, u"b"_s}, u"B"_s));
                   },
                   u"въпрос 1: верният отговор „B“ не е точно никой от отговорите"_s},
        BrokenBank{"correct_with_trailing_blank",
                   [] {
                       return withQuestion(validJson(), 0, questionJson(u"В"_s, {u"a"_s, u"b"_s}, u"b "_s));
                   },
                   u"въпрос 1: верният отговор „b “ не е точно никой"_s},
        BrokenBank{
            "correct_twice",
            [] {
                return withQuestion(validJson(), 0, questionJson(u"В"_s, {u"a"_s, u"a"_s, u"c"_s}, u"a"_s));
            },
            u"въпрос 1: верният отговор „a“ стои 2 пъти"_s},
        BrokenBank{"too_many_with_repeat", [] { return validJson(29); },
                   u"тестът има 29 въпроса, а с проверката за Тото побира най-много 28"_s},
        BrokenBank{"too_many_without_repeat",
                   [] {
                       QJsonObject root = validJson(30);
                       root[u"settings"_s] = QJsonArray::fromStringList(settings(0, 0, 1, 0));
                       return root;
                   },
                   u"тестът има 30 въпроса, а побира най-много 29"_s},
        BrokenBank{"five_settings",
                   [] {
                       QJsonObject root = validJson();
                       QStringList rows = shippedSettings();
                       rows.removeLast();
                       root[u"settings"_s] = QJsonArray::fromStringList(rows);
                       return root;
                   },
                   u"настройките са 5 реда, а трябва да са точно 6"_s},
        BrokenBank{"empty_question_text",
                   [] {
                       return withQuestion(validJson(), 1, questionJson(u"  "_s, {u"a"_s, u"b"_s}, u"a"_s));
                   },
                   u"въпрос 2: текстът на въпроса е празен"_s},
        BrokenBank{"empty_answer",
                   [] {
                       return withQuestion(validJson(), 1, questionJson(u"В"_s, {u"a"_s, u""_s}, u"a"_s));
                   },
                   u"въпрос 2: отговор 2 е празен"_s},
        BrokenBank{"blank_only_answer",
                   [] {
                       return withQuestion(validJson(), 2, questionJson(u"В"_s, {u"   "_s, u"b"_s}, u"b"_s));
                   },
                   u"въпрос 3: отговор 1 е празен"_s},
        BrokenBank{"misspelt_field",
                   [] {
                       QJsonObject q = questionJson(u"В"_s, {u"a"_s, u"b"_s}, u"a"_s);
                       q[u"picure"_s] = u"q.jpg"_s;
                       return withQuestion(validJson(), 2, q);
                   },
                   u"въпрос 3: непознато поле „picure“"_s},
        BrokenBank{"answers_not_texts",
                   [] {
                       QJsonObject q = questionJson(u"В"_s, {u"a"_s, u"b"_s}, u"a"_s);
                       q[u"answers"_s] = QJsonArray{1, 2};
                       return withQuestion(validJson(), 0, q);
                   },
                   u"въпрос 1: отговорите (поле answers) трябва да са списък от текстове"_s},
        BrokenBank{"picture_outside_the_bank_folder",
                   [] {
                       QJsonObject q = questionJson(u"В"_s, {u"a"_s, u"b"_s}, u"a"_s);
                       q[u"picture"_s] = u"pictures/../../q01.jpg"_s;
                       return withQuestion(validJson(), 2, q);
                   },
                   u"въпрос 3: изображението „pictures/../../q01.jpg“ трябва да е в папката на въпросите"_s},
        BrokenBank{"missing_picture_file",
                   [] {
                       QJsonObject q = questionJson(u"В"_s, {u"a"_s, u"b"_s}, u"a"_s);
                       q[u"picture"_s] = u"pictures/q02.jpg"_s;
                       return withQuestion(validJson(), 1, q);
                   },
                   u"въпрос 2: файлът на изображението „pictures/q02.jpg“ не може да се прочете"_s}};
}

} // namespace morv::test
