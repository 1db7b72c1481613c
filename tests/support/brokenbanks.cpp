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
                   u"въпрос 2: има 1 отговор, а трябва да са от 2 до 5"_s},
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
        BrokenBank{"seven_settings",
                   [] {
                       QJsonObject root = validJson();
                       root[u"settings"_s] = QJsonArray::fromStringList(shippedSettings() << u"Още - 1"_s);
                       return root;
                   },
                   u"настройките са 7 реда, а трябва да са точно 6"_s},
        BrokenBank{"settings_row_too_long",
                   [] {
                       QJsonObject root = validJson();
                       QStringList rows = shippedSettings();
                       rows[3] = QString(201, u'я');
                       root[u"settings"_s] = QJsonArray::fromStringList(rows);
                       return root;
                   },
                   u"ред 3 от настройките е твърде дълъг: 201 знака, а най-много 200"_s},
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
                   u"въпрос 2: файлът на изображението „pictures/q02.jpg“ не може да се прочете"_s},
        // The reader would keep the second list only: three questions would silently become none.
        BrokenBank{
            "questions_written_twice", [] { return validJson(); },
            u"полето „questions“ е записано повече от веднъж"_s,
            [](QByteArray json) { return json.replace("\"settings\"", "\"questions\": [], \"settings\""); }},
        BrokenBank{"answers_written_twice", [] { return validJson(); },
                   u"въпрос 1: полето „answers“ е записано повече от веднъж"_s,
                   [](QByteArray json) {
                       const qsizetype at = json.indexOf("\"answers\"");
                       return json.insert(at, "\"answers\": [\"x\", \"y\"], ");
                   }},
        BrokenBank{"nul_in_question_text",
                   [] {
                       return withQuestion(
                           validJson(), 1,
                           questionJson(u"a"_s + QChar(0) + u"b"_s, {u"a"_s, u"b"_s}, u"a"_s));
                   },
                   u"въпрос 2: текстът на въпроса съдържа управляващ знак U+0000"_s},
        BrokenBank{"control_character_in_title",
                   [] {
                       QJsonObject root = validJson();
                       QStringList rows = shippedSettings();
                       rows[3] += QChar(7);
                       root[u"settings"_s] = QJsonArray::fromStringList(rows);
                       return root;
                   },
                   u"ред 3 от настройките съдържа управляващ знак U+0007"_s},
        BrokenBank{"invisible_answer",
                   [] {
                       return withQuestion(validJson(), 0,
                                           questionJson(u"В"_s, {u"\u200b\u200b"_s, u"b"_s}, u"b"_s));
                   },
                   u"въпрос 1: отговор 1 е празен или няма видим знак"_s},
        // A right-to-left override shows "60°" as "°06".
        BrokenBank{
            "direction_override_in_answer",
            [] {
                return withQuestion(validJson(), 0, questionJson(u"В"_s, {u"\u202e60°"_s, u"b"_s}, u"b"_s));
            },
            u"въпрос 1: отговор 1 съдържа знак за посока на писането U+202E"_s},
        // The last of the direction controls, the end of an isolate.
        BrokenBank{"direction_isolate_end_in_question",
                   [] {
                       return withQuestion(validJson(), 1,
                                           questionJson(u"Ъгъл \u2069ABC"_s, {u"a"_s, u"b"_s}, u"b"_s));
                   },
                   u"въпрос 2: текстът на въпроса съдържа знак за посока на писането U+2069"_s},
        BrokenBank{"answer_too_long",
                   [] {
                       return withQuestion(validJson(), 2,
                                           questionJson(u"В"_s, {QString(201, u'я'), u"b"_s}, u"b"_s));
                   },
                   u"въпрос 3: отговор 1 е твърде дълъг: 201 знака, а най-много 200"_s},
        BrokenBank{"question_too_long",
                   [] {
                       return withQuestion(validJson(), 2,
                                           questionJson(QString(1001, u'я'), {u"a"_s, u"b"_s}, u"b"_s));
                   },
                   u"въпрос 3: текстът на въпроса е твърде дълъг: 1001 знака, а най-много 1000"_s},
        BrokenBank{"too_many_explanation_lines",
                   [] {
                       QJsonObject q = questionJson(u"В"_s, {u"a"_s, u"b"_s}, u"a"_s);
                       q[u"explanation"_s] = QJsonArray::fromStringList(QStringList(41, u"ред"_s));
                       return withQuestion(validJson(), 0, q);
                   },
                   u"въпрос 1: обяснението има 41 реда, а най-много 40"_s},
        BrokenBank{"explanation_line_too_long",
                   [] {
                       QJsonObject q = questionJson(u"В"_s, {u"a"_s, u"b"_s}, u"a"_s);
                       q[u"explanation"_s] = QJsonArray{u"кратък"_s, QString(301, u'я')};
                       return withQuestion(validJson(), 0, q);
                   },
                   u"въпрос 1: ред 2 от обяснението е твърде дълъг: 301 знака, а най-много 300"_s},
        BrokenBank{"picture_text_too_long",
                   [] {
                       QJsonObject q = questionJson(u"В"_s, {u"a"_s, u"b"_s}, u"a"_s);
                       q[u"picture_text"_s] = QString(301, u'я');
                       return withQuestion(validJson(), 2, q);
                   },
                   u"въпрос 3: описанието на изображението е твърде дълго: 301 знака, а най-много 300"_s},
        // Cut at the NUL, the name would point at another file and the message would end there.
        BrokenBank{"nul_in_picture_name",
                   [] {
                       QJsonObject q = questionJson(u"В"_s, {u"a"_s, u"b"_s}, u"a"_s);
                       q[u"picture"_s] = u"pictures/q01.jpg"_s + QChar(0) + u".png"_s;
                       return withQuestion(validJson(), 1, q);
                   },
                   u"въпрос 2: името на изображението „pictures/q01.jpg\\0.png“ съдържа нулев знак"_s},
        BrokenBank{"picture_name_too_long",
                   [] {
                       QJsonObject q = questionJson(u"В"_s, {u"a"_s, u"b"_s}, u"a"_s);
                       q[u"picture"_s] = u"pictures/"_s + QString(992, u'я');
                       return withQuestion(validJson(), 0, q);
                   },
                   u"въпрос 1: името на изображението е твърде дълго: 1001 знака, а най-много 1000"_s}};
}

} // namespace morv::test
