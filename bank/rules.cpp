// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/rules.h"

#include "bank/bank.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

// "1 въпрос", "2 въпроса": a count with its noun in the right number.
QString quantity(qsizetype count, QStringView one, QStringView many)
{
    return u"%1 %2"_s.arg(count).arg(count == 1 ? one : many);
}

// Characters that turn the order of what follows around on screen ("60°" shown as "°06").
bool isBidiControl(char32_t c)
{
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

// "U+202E": how a character that cannot be seen is named.
QString codePoint(uint c)
{
    return u"U+"_s + QString::number(c, 16).toUpper().rightJustified(4, u'0');
}

enum class Visible { Optional, Required };

// Why a text cannot be shown as written, or an empty string. Line breaks and tabs are text; other
// control characters, direction controls and a text of nothing visible are not. `tooLong` agrees with
// the noun the message starts with: "отговорът е твърде дълъг", "описанието е твърде дълго".
QString textProblem(const QString &text, qsizetype maxCharacters, Visible visible,
                    QStringView tooLong = u"е твърде дълъг")
{
    const QList<uint> characters = text.toUcs4();
    if (characters.size() > maxCharacters)
        return u"%1: %2 знака, а най-много %3"_s.arg(tooLong).arg(characters.size()).arg(maxCharacters);
    bool seen = false;
    for (const uint c : characters) {
        if (c == u'\n' || c == u'\r' || c == u'\t')
            continue;
        if (QChar::category(c) == QChar::Other_Control)
            return u"съдържа управляващ знак %1"_s.arg(codePoint(c));
        if (isBidiControl(c))
            return u"съдържа знак за посока на писането %1, който разбърква реда на знаците"_s.arg(
                codePoint(c));
        seen = seen || (QChar::isPrint(c) && !QChar::isSpace(c));
    }
    if (visible == Visible::Required && !seen)
        return u"е празен или няма видим знак"_s;
    return {};
}

} // namespace

int maxQuestions(bool repeatQuestion)
{
    const int lastSlot = std::min({Bank::QuestionSlots, Bank::ExplanationSlots, Bank::PictureSlots}) - 1;
    return repeatQuestion ? lastSlot - 1 : lastSlot;
}

QList<Problem> checkQuestion(const QuestionSource &question, std::size_t index,
                             const PictureCheck &pictureCheck)
{
    QList<Problem> problems;
    auto add = [&](Rule rule, const QString &text) {
        problems.append({.rule = rule, .line = question.line, .question = int(index) + 1, .text = text});
    };
    if (QString why = textProblem(question.text, limits::QuestionText, Visible::Required); !why.isEmpty())
        add(Rule::QuestionText, u"текстът на въпроса "_s + why);
    const auto answers = question.answers.size();
    if (answers < 2 || answers > 5)
        add(Rule::AnswerCount,
            u"има %1, а трябва да са от 2 до 5"_s.arg(quantity(answers, u"отговор", u"отговора")));
    for (qsizetype a = 0; a < answers; ++a) {
        if (QString why = textProblem(question.answers[a], limits::AnswerText, Visible::Required);
            !why.isEmpty())
            add(Rule::AnswerText, u"отговор %1 "_s.arg(a + 1) + why);
    }
    const auto matches = question.answers.count(question.correct);
    if (matches == 0)
        add(Rule::RightAnswer,
            u"верният отговор %1 не е точно никой от отговорите"_s.arg(inQuotes(question.correct)));
    else if (matches > 1)
        add(Rule::RightAnswer, u"верният отговор %1 стои %2 пъти сред отговорите, а трябва веднъж"_s
                                   .arg(inQuotes(question.correct))
                                   .arg(matches));
    if (question.explanation.size() > limits::ExplanationLines)
        add(Rule::Explanation, u"обяснението има %1 реда, а най-много %2"_s.arg(question.explanation.size())
                                   .arg(limits::ExplanationLines));
    for (qsizetype l = 0; l < question.explanation.size(); ++l) {
        if (QString why = textProblem(question.explanation[l], limits::ExplanationLine, Visible::Optional);
            !why.isEmpty())
            add(Rule::Explanation, u"ред %1 от обяснението "_s.arg(l + 1) + why);
    }
    if (QString why =
            textProblem(question.pictureText, limits::PictureText, Visible::Optional, u"е твърде дълго");
        !why.isEmpty())
        add(Rule::PictureText, u"описанието на изображението "_s + why);
    if (!question.picture.isEmpty() && question.picture.size() > limits::PictureBytes)
        add(Rule::Picture,
            u"изображението %1 е твърде голямо: %2 байта, най-много %3"_s.arg(inQuotes(question.pictureName))
                .arg(question.picture.size())
                .arg(limits::PictureBytes));
    else if (!question.picture.isEmpty() && pictureCheck) {
        if (const QString why = pictureCheck(question.picture); !why.isEmpty())
            add(Rule::Picture,
                u"изображението %1 не може да се покаже: %2"_s.arg(inQuotes(question.pictureName), why));
    }
    return problems;
}

QList<Problem> checkBank(const TestDocument &document, const PictureCheck &pictureCheck)
{
    const BankSource source = bankSource(document);
    QList<Problem> problems;
    const int settingsLine = source.settingsLine;
    if (source.settings.size() != Bank::SettingsRows)
        problems.append({.rule = Rule::Settings,
                         .line = settingsLine,
                         .text = u"настройките са %1, а трябва да са точно %2"_s
                                     .arg(quantity(source.settings.size(), u"ред", u"реда"))
                                     .arg(Bank::SettingsRows)});
    for (qsizetype r = 0; r < source.settings.size(); ++r) {
        if (QString why = textProblem(source.settings[r], limits::SettingsRow, Visible::Optional);
            !why.isEmpty())
            problems.append({.rule = Rule::Settings,
                             .line = settingsLine,
                             .text = u"ред %1 от настройките "_s.arg(r) + why});
    }
    const auto count = source.questions.size();
    if (count < 3)
        problems.append({.rule = Rule::QuestionCount,
                         .line = source.questionsLine,
                         .text = u"тестът има %1, а трябва да са поне 3"_s.arg(
                             quantity(qsizetype(count), u"въпрос", u"въпроса"))});
    const bool repeat = document.switches.repeatQuestion();
    const int most = maxQuestions(repeat);
    if (count > std::size_t(most))
        problems.append(
            {.rule = Rule::QuestionCount,
             .line = source.questionsLine,
             .text =
                 repeat
                     ? u"тестът има %1 въпроса, а с проверката за Тото побира най-много %2"_s.arg(count).arg(
                           most)
                     : u"тестът има %1 въпроса, а побира най-много %2"_s.arg(count).arg(most)});
    for (std::size_t i = 0; i < count; ++i)
        problems += checkQuestion(source.questions[i], i, pictureCheck);
    return problems;
}

} // namespace morv
